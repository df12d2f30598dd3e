#pragma once

#include <QImage>
#include <QOpenGLWidget>
#include <QWidget>

#include <memory>
#include <string>

struct mpv_handle;
struct mpv_render_context;

namespace vantor {

struct MpvLibrary;

// A widget that shows mpv's picture through a render context of its own. The widget exists from the
// window's creation; the render context is made once the player has started (attach). It must be freed
// before the mpv handle is destroyed: MpvPlayer::release() calls freeRenderContext() first.
class MpvVideoSurface {
public:
    virtual ~MpvVideoSurface() = default;
    // Starts showing the picture of `mpv`, whose functions `library` holds.
    virtual void attach(mpv_handle* mpv, std::shared_ptr<const MpvLibrary> library) = 0;
    virtual void freeRenderContext() = 0;
    virtual QWidget* widget() = 0;
    // Frames rendered so far (tests and the screenshot tool wait for the first picture with it).
    int framesRendered() const { return m_framesRendered; }
    // Why the surface shows no picture, when its renderer could not start; empty otherwise.
    const std::string& renderError() const { return m_renderError; }

protected:
    mpv_handle* m_mpv = nullptr;
    std::shared_ptr<const MpvLibrary> m_library;
    mpv_render_context* m_context = nullptr;
    int m_framesRendered = 0;
    std::string m_renderError;
};

// OpenGL rendering inside a QOpenGLWidget (MPV_RENDER_API_TYPE_OPENGL).
class MpvGlSurface : public QOpenGLWidget, public MpvVideoSurface {
    Q_OBJECT
public:
    explicit MpvGlSurface(QWidget* parent);
    ~MpvGlSurface() override;
    void attach(mpv_handle* mpv, std::shared_ptr<const MpvLibrary> library) override;
    void freeRenderContext() override;
    QWidget* widget() override { return this; }

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    // Needs the widget's GL context current.
    void createRenderContext();
    static void onUpdate(void* context);
};

// libmpv's software renderer (MPV_RENDER_API_TYPE_SW) into a QImage painted in paintEvent. Used where
// OpenGL is missing or itself done in software.
class MpvSoftwareSurface : public QWidget, public MpvVideoSurface {
    Q_OBJECT
public:
    explicit MpvSoftwareSurface(QWidget* parent);
    ~MpvSoftwareSurface() override;
    void attach(mpv_handle* mpv, std::shared_ptr<const MpvLibrary> library) override;
    void freeRenderContext() override;
    QWidget* widget() override { return this; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    static void onUpdate(void* context);
    void renderFrame(bool force = false);
    QImage m_frame;
};

} // namespace vantor
