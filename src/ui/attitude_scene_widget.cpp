#include "ui/attitude_scene_widget.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QPainter>
#include <QWindow>
#include <array>
#include <vector>

#include "views/sensor_attitude_window.h"
#include "views/teapot_mesh.h"

namespace gnss::ui {

namespace {

constexpr float kTeapotHeight = 2.6F;
constexpr int kTeapotSteps = 10;
constexpr float kRoseLevel = -2.2F;
constexpr float kRoseRadius = 3.5F;
constexpr int kGridLines = 9;
constexpr float kFieldOfViewDeg = 30.0F;
constexpr int kLetterPixels = 11;

const char* const kVertexShader = R"(
attribute highp vec3 position;
attribute mediump vec3 normal;
uniform highp mat4 mvp;
uniform mediump mat3 normalMatrix;
varying mediump vec3 turnedNormal;
void main() {
    turnedNormal = normalMatrix * normal;
    gl_Position = mvp * vec4(position, 1.0);
}
)";

// Two-sided diffuse light plus ambient; `lit` 0 draws the flat colour (lines).
const char* const kFragmentShader = R"(
varying mediump vec3 turnedNormal;
uniform lowp vec4 color;
uniform lowp float lit;
void main() {
    mediump vec3 light = normalize(vec3(0.4, 1.0, 0.7));
    mediump float diffuse = abs(dot(normalize(turnedNormal), light));
    gl_FragColor = vec4(color.rgb * mix(1.0, 0.3 + 0.7 * diffuse, lit), color.a);
}
)";

// A transparent layer over the scene that paints the compass letters.
class CompassLetterLayer final : public QWidget {
  public:
    explicit CompassLetterLayer(AttitudeSceneWidget* scene) : QWidget(scene), scene_(scene) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setAttribute(Qt::WA_TranslucentBackground);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        scene_->DrawLetters(painter);
    }

  private:
    AttitudeSceneWidget* scene_;
};

}  // namespace

AttitudeSceneWidget::AttitudeSceneWidget(QWidget* parent) : QOpenGLWidget(parent) {
    letters_ = new CompassLetterLayer(this);
    SetOrientation(AttitudeWindowView{}.Orientation);
}

void AttitudeSceneWidget::resizeGL(int, int) {
    letters_->setGeometry(rect());
    letters_->raise();
}

QMatrix4x4 AttitudeSceneWidget::ViewProjection() const {
    QMatrix4x4 projection;
    projection.perspective(kFieldOfViewDeg,
                           static_cast<float>(width()) / static_cast<float>(std::max(height(), 1)),
                           1.0F, 100.0F);
    QMatrix4x4 view;
    view.lookAt(QVector3D(kAttitudeEye[0], kAttitudeEye[1], kAttitudeEye[2]), QVector3D(0, 0, 0),
                QVector3D(0, 1, 0));
    return projection * view;
}

AttitudeSceneWidget::~AttitudeSceneWidget() {
    Release();
}

void AttitudeSceneWidget::Release() {
    if (!ready_ || context() == nullptr) return;
    makeCurrent();
    teapot_.destroy();
    rose_.destroy();
    program_.reset();
    doneCurrent();
    ready_ = false;
}

void AttitudeSceneWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    dragging_ = true;
    setCursor(Qt::ClosedHandCursor);
}

void AttitudeSceneWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_ || event->button() != Qt::LeftButton) return;
    dragging_ = false;
    unsetCursor();
    if (Dropped) Dropped(event->globalPosition().toPoint());
}

bool AttitudeSceneWidget::OpenGlAvailable() {
    // Platforms that draw windows into memory only: they may still make OpenGL contexts (the
    // offscreen one does when an X display is around), but a GL widget cannot be shown there.
    static constexpr std::array<const char*, 2> kNoGlWidgetPlatforms{"offscreen", "minimal"};
    for (const char* name : kNoGlWidgetPlatforms) {
        if (QGuiApplication::platformName() == QLatin1String(name)) return false;
    }
    QOpenGLContext context;
    if (!context.create()) return false;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface)) return false;
    context.doneCurrent();
    // An offscreen context is not enough: some displays (an X server without GLX) make one but
    // cannot show OpenGL in a window, and a GL widget there fails when the window is flushed.
    QWindow window;
    window.setSurfaceType(QSurface::OpenGLSurface);
    window.setFormat(context.format());
    window.create();
    if (window.handle() == nullptr || !context.makeCurrent(&window)) return false;
    context.doneCurrent();
    return true;
}

void AttitudeSceneWidget::SetOrientation(const std::array<float, 16>& rows) {
    // The rows are the model's axes, so the model-to-scene matrix has them as its columns.
    model_ = QMatrix4x4(rows.data()).transposed();
    update();
}

void AttitudeSceneWidget::initializeGL() {
    // Moving the view into another window gives it a new context: the old one's resources go
    // with it, and this runs again.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, [this] { Release(); });
    initializeOpenGLFunctions();
    program_ = std::make_unique<QOpenGLShaderProgram>();
    if (!program_->addShaderFromSourceCode(QOpenGLShader::Vertex, kVertexShader) ||
        !program_->addShaderFromSourceCode(QOpenGLShader::Fragment, kFragmentShader) ||
        !program_->link()) {
        return;
    }
    const TriangleMesh mesh = MakeTeapotMesh(kTeapotHeight, kTeapotSteps);
    std::vector<float> interleaved;
    interleaved.reserve(mesh.Positions.size() * 2);
    for (std::size_t v = 0; v < mesh.VertexCount(); ++v) {
        for (std::size_t k = 0; k < 3; ++k) interleaved.push_back(mesh.Positions[v * 3 + k]);
        for (std::size_t k = 0; k < 3; ++k) interleaved.push_back(mesh.Normals[v * 3 + k]);
    }
    teapot_.create();
    teapot_.bind();
    teapot_.allocate(interleaved.data(), static_cast<int>(interleaved.size() * sizeof(float)));
    teapot_.release();
    teapotVertices_ = static_cast<int>(mesh.VertexCount());

    const std::vector<float> lines = MakeCompassRoseLines(kRoseLevel, kRoseRadius, kGridLines);
    rose_.create();
    rose_.bind();
    rose_.allocate(lines.data(), static_cast<int>(lines.size() * sizeof(float)));
    rose_.release();
    roseVertices_ = static_cast<int>(lines.size() / 3);
    ready_ = true;
}

void AttitudeSceneWidget::paintGL() {
    glClearColor(0.05F, 0.07F, 0.12F, 1.0F);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (!ready_) return;
    glEnable(GL_DEPTH_TEST);

    const QMatrix4x4 viewProjection = ViewProjection();

    program_->bind();
    const int position = program_->attributeLocation("position");
    const int normal = program_->attributeLocation("normal");

    // The compass rose: flat lines.
    program_->setUniformValue("mvp", viewProjection);
    program_->setUniformValue("normalMatrix", QMatrix3x3());
    program_->setUniformValue("color", QVector4D(0.35F, 0.55F, 0.45F, 1.0F));
    program_->setUniformValue("lit", 0.0F);
    rose_.bind();
    program_->enableAttributeArray(position);
    program_->setAttributeBuffer(position, GL_FLOAT, 0, 3, 3 * sizeof(float));
    program_->disableAttributeArray(normal);
    program_->setAttributeValue(normal, QVector3D(0, 1, 0));
    glDrawArrays(GL_LINES, 0, roseVertices_);
    rose_.release();

    // The model.
    program_->setUniformValue("mvp", viewProjection * model_);
    program_->setUniformValue("normalMatrix", model_.normalMatrix());
    program_->setUniformValue("color", QVector4D(0.85F, 0.78F, 0.55F, 1.0F));
    program_->setUniformValue("lit", 1.0F);
    teapot_.bind();
    program_->enableAttributeArray(normal);
    program_->setAttributeBuffer(position, GL_FLOAT, 0, 3, 6 * sizeof(float));
    program_->setAttributeBuffer(normal, GL_FLOAT, 3 * sizeof(float), 3, 6 * sizeof(float));
    glDrawArrays(GL_TRIANGLES, 0, teapotVertices_);
    program_->disableAttributeArray(normal);
    program_->disableAttributeArray(position);
    teapot_.release();
    program_->release();
    glDisable(GL_DEPTH_TEST);
}

void AttitudeSceneWidget::DrawLetters(QPainter& painter) const {
    const QMatrix4x4 viewProjection = ViewProjection();
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(static_cast<int>(kLetterPixels * AttitudeSceneScale(width(), height())));
    painter.setFont(font);
    for (const CompassLetter& letter : kCompassLetters) {
        const QVector4D clip = viewProjection * QVector4D(letter.X, kRoseLevel, letter.Z, 1.0F);
        if (clip.w() <= 0.0F) continue;
        const float x = (clip.x() / clip.w() + 1.0F) / 2.0F * static_cast<float>(width());
        const float y = (1.0F - clip.y() / clip.w()) / 2.0F * static_cast<float>(height());
        const QString text =
            QString::fromUtf8(letter.Text.data(), static_cast<qsizetype>(letter.Text.size()));
        const QRectF box(x - 20.0F, y - 10.0F, 40.0F, 20.0F);
        painter.setPen(letter.Text == "MN" ? QColor(255, 90, 90) : QColor(230, 230, 230));
        painter.drawText(box, Qt::AlignCenter, text);
    }
}

}  // namespace gnss::ui
