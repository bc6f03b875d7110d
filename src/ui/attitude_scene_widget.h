#pragma once

#include <QMatrix4x4>
#include <QOpenGLBuffer>
#include <QOpenGLFunctions>
#include <QOpenGLShaderProgram>
#include <QOpenGLWidget>
#include <array>
#include <functional>
#include <memory>

namespace gnss::ui {

// The 3-D view of the attitude window: the teapot turned by the sensor's orientation above a
// compass rose with its grid and the letters of the four directions, lit by one light and seen
// from (5, 9, 18). Drawn with a small shader; the letters are painted over the scene.
class AttitudeSceneWidget final : public QOpenGLWidget, protected QOpenGLFunctions {
  public:
    explicit AttitudeSceneWidget(QWidget* parent = nullptr);
    ~AttitudeSceneWidget() override;

    // Rows 1 to 3 of `rows` (row-major 4 x 4) are the model's axes in scene coordinates.
    void SetOrientation(const std::array<float, 16>& rows);

    // Whether this display can draw OpenGL at all (a plain virtual display often cannot).
    [[nodiscard]] static bool OpenGlAvailable();

    // Told where (screen coordinates) the user let go of the view after dragging it.
    std::function<void(QPoint)> Dropped;

    // The letters of the compass rose, painted by a transparent layer over the scene.
    void DrawLetters(QPainter& painter) const;

  protected:
    void initializeGL() override;
    void paintGL() override;
    void resizeGL(int width, int height) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    [[nodiscard]] QMatrix4x4 ViewProjection() const;
    void Release();

    std::unique_ptr<QOpenGLShaderProgram> program_;  // made anew with each context
    QOpenGLBuffer teapot_{QOpenGLBuffer::VertexBuffer};
    QOpenGLBuffer rose_{QOpenGLBuffer::VertexBuffer};
    int teapotVertices_ = 0;
    int roseVertices_ = 0;
    bool ready_ = false;
    bool dragging_ = false;
    QWidget* letters_ = nullptr;
    QMatrix4x4 model_;
};

}  // namespace gnss::ui
