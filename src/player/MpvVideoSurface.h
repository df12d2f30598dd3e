#pragma once

#include <QImage>
#include <QOpenGLWidget>
#include <QWidget>

#include <string>

struct mpv_handle;
struct mpv_render_context;

namespace vantor {

// A widget that shows mpv's picture through a render context of its own. The render context must be
// freed before the mpv handle is destroyed: MpvPlayer::release() calls freeRenderContext() first.
class MpvVideoSurface {
public:
    virtual ~MpvVideoSurface() = default;
    virtual void freeRenderContext() = 0;
    virtual QWidget* widget() = 0;
    // Frames rendered so far (tests and the screenshot tool wait for the first picture with it).
    int framesRendered() const { return m_framesRendered; }
    // Why the surface shows no picture, when its renderer could not start after the window was shown;
    // empty otherwise.
    const std::string& renderError() const { return m_renderError; }

protected:
    int m_framesRendered = 0;
    std::string m_renderError;
};

// OpenGL rendering inside a QOpenGLWidget (MPV_RENDER_API_TYPE_OPENGL).
class MpvGlSurface : public QOpenGLWidget, public MpvVideoSurface {
    Q_OBJECT
public:
    MpvGlSurface(mpv_handle* mpv, QWidget* parent);
    ~MpvGlSurface() override;
    void freeRenderContext() override;
    QWidget* widget() override { return this; }

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    static void onUpdate(void* context);
    mpv_handle* m_mpv;
    mpv_render_context* m_context = nullptr;
};

// libmpv's software renderer (MPV_RENDER_API_TYPE_SW) into a QImage painted in paintEvent. Used where
// OpenGL is missing or itself done in software.
class MpvSoftwareSurface : public QWidget, public MpvVideoSurface {
    Q_OBJECT
public:
    MpvSoftwareSurface(mpv_handle* mpv, QWidget* parent);
    ~MpvSoftwareSurface() override;
    void freeRenderContext() override;
    QWidget* widget() override { return this; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    static void onUpdate(void* context);
    void renderFrame(bool force = false);
    mpv_handle* m_mpv;
    mpv_render_context* m_context = nullptr;
    QImage m_frame;
};

} // namespace vantor
