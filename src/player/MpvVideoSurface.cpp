#include "MpvVideoSurface.h"

#include "MpvLibrary.h"

#include <QMetaObject>
#include <QOpenGLContext>
#include <QPainter>

#include <mpv/client.h>
#include <mpv/render.h>
#include <mpv/render_gl.h>

#include <string>
#include <utility>

namespace vantor {

namespace {

void* getProcAddress(void*, const char* name)
{
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}

// libmpv leaves the fourth byte of "bgr0" unset (0 in practice), while QImage::Format_RGB32 promises
// 0xffRRGGBB. Painted onto an RGB32 backing store (X11, offscreen) the byte is ignored; Wayland's backing
// store is ARGB32 premultiplied and takes it as alpha, and the compositor then blends an invisible, white
// panel. Setting the byte costs one pass over the frame (0.1 MB at the panel's size).
void makeOpaque(QImage& frame)
{
    for (int y = 0; y < frame.height(); ++y) {
        auto* pixel = reinterpret_cast<quint32*>(frame.scanLine(y));
        for (quint32* end = pixel + frame.width(); pixel != end; ++pixel)
            *pixel |= 0xff000000u;
    }
}

} // namespace

MpvGlSurface::MpvGlSurface(QWidget* parent)
    : QOpenGLWidget(parent)
{
}

MpvGlSurface::~MpvGlSurface()
{
    freeRenderContext();
}

void MpvGlSurface::attach(mpv_handle* mpv, std::shared_ptr<const MpvLibrary> library)
{
    m_mpv = mpv;
    m_library = std::move(library);
    // Before the widget is first shown initializeGL() makes the context.
    if (!isValid())
        return;
    makeCurrent();
    createRenderContext();
    doneCurrent();
    update();
}

void MpvGlSurface::freeRenderContext()
{
    if (!m_context)
        return;
    makeCurrent();
    m_library->renderContextSetUpdateCallback(m_context, nullptr, nullptr);
    m_library->renderContextFree(m_context);
    m_context = nullptr;
    doneCurrent();
}

void MpvGlSurface::initializeGL()
{
    createRenderContext();
}

void MpvGlSurface::createRenderContext()
{
    if (m_context || !m_mpv)
        return;
    mpv_opengl_init_params glInit { &getProcAddress, nullptr };
    int advanced = 1;
    mpv_render_param params[] = {
        { MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL) },
        { MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &glInit },
        { MPV_RENDER_PARAM_ADVANCED_CONTROL, &advanced },
        { MPV_RENDER_PARAM_INVALID, nullptr },
    };
    // Runs inside Qt's paint handling, where an exception would end the program: the player's status
    // tells instead, and the panel stays black.
    const int result = m_library->renderContextCreate(&m_context, m_mpv, params);
    if (result < 0) {
        m_context = nullptr;
        m_renderError = std::string("OpenGL: ") + m_library->errorString(result);
        return;
    }
    m_library->renderContextSetUpdateCallback(m_context, &MpvGlSurface::onUpdate, this);
}

void MpvGlSurface::paintGL()
{
    if (!m_context)
        return;
    const qreal ratio = devicePixelRatioF();
    mpv_opengl_fbo fbo { static_cast<int>(defaultFramebufferObject()), static_cast<int>(width() * ratio),
        static_cast<int>(height() * ratio), 0 };
    int flipY = 1;
    mpv_render_param params[] = {
        { MPV_RENDER_PARAM_OPENGL_FBO, &fbo },
        { MPV_RENDER_PARAM_FLIP_Y, &flipY },
        { MPV_RENDER_PARAM_INVALID, nullptr },
    };
    m_library->renderContextRender(m_context, params);
    ++m_framesRendered;
}

// Called on an mpv thread: only queue work to the GUI thread.
void MpvGlSurface::onUpdate(void* context)
{
    auto* self = static_cast<MpvGlSurface*>(context);
    QMetaObject::invokeMethod(
        self,
        [self] {
            if (self->m_context
                && (self->m_library->renderContextUpdate(self->m_context) & MPV_RENDER_UPDATE_FRAME))
                self->update();
        },
        Qt::QueuedConnection);
}

MpvSoftwareSurface::MpvSoftwareSurface(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

MpvSoftwareSurface::~MpvSoftwareSurface()
{
    freeRenderContext();
}

void MpvSoftwareSurface::attach(mpv_handle* mpv, std::shared_ptr<const MpvLibrary> library)
{
    if (m_context)
        return;
    m_mpv = mpv;
    m_library = std::move(library);
    int advanced = 1;
    mpv_render_param params[] = {
        { MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW) },
        { MPV_RENDER_PARAM_ADVANCED_CONTROL, &advanced },
        { MPV_RENDER_PARAM_INVALID, nullptr },
    };
    if (const int result = m_library->renderContextCreate(&m_context, m_mpv, params); result < 0) {
        m_context = nullptr;
        m_renderError = m_library->errorString(result);
        return;
    }
    m_library->renderContextSetUpdateCallback(m_context, &MpvSoftwareSurface::onUpdate, this);
}

void MpvSoftwareSurface::freeRenderContext()
{
    if (!m_context)
        return;
    m_library->renderContextSetUpdateCallback(m_context, nullptr, nullptr);
    m_library->renderContextFree(m_context);
    m_context = nullptr;
}

// Called on an mpv thread: only queue work to the GUI thread.
void MpvSoftwareSurface::onUpdate(void* context)
{
    auto* self = static_cast<MpvSoftwareSurface*>(context);
    QMetaObject::invokeMethod(
        self, [self] { self->renderFrame(); }, Qt::QueuedConnection);
}

void MpvSoftwareSurface::renderFrame(bool force)
{
    if (!m_context)
        return;
    const bool newFrame = m_library->renderContextUpdate(m_context) & MPV_RENDER_UPDATE_FRAME;
    if (!newFrame && !force)
        return;
    // In device pixels: at a scale factor of 2 a frame of the widget's logical size would be stretched
    // and blurred. A change of scale while paused shows at the next frame or resize.
    const qreal ratio = devicePixelRatioF();
    const QSize size = (QSizeF(this->size()) * ratio).toSize().expandedTo(QSize(1, 1));
    // A 64-byte aligned stride, as the software renderer wants.
    const qsizetype stride = (size.width() * 4 + 63) / 64 * 64;
    if (m_frame.size() != size || m_frame.bytesPerLine() != stride)
        m_frame = QImage(size, QImage::Format_RGB32);
    m_frame.setDevicePixelRatio(ratio);
    int frameSize[2] = { size.width(), size.height() };
    size_t frameStride = static_cast<size_t>(m_frame.bytesPerLine());
    mpv_render_param params[] = {
        { MPV_RENDER_PARAM_SW_SIZE, frameSize },
        { MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>("bgr0") },
        { MPV_RENDER_PARAM_SW_STRIDE, &frameStride },
        { MPV_RENDER_PARAM_SW_POINTER, m_frame.bits() },
        { MPV_RENDER_PARAM_INVALID, nullptr },
    };
    if (m_library->renderContextRender(m_context, params) >= 0) {
        makeOpaque(m_frame);
        ++m_framesRendered;
        update();
    }
}

void MpvSoftwareSurface::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_frame.isNull())
        painter.fillRect(rect(), Qt::black);
    else
        painter.drawImage(rect(), m_frame);
}

void MpvSoftwareSurface::resizeEvent(QResizeEvent*)
{
    // Render the current picture again at the new size.
    if (m_context)
        QMetaObject::invokeMethod(
            this, [this] { renderFrame(true); }, Qt::QueuedConnection);
}

} // namespace vantor
