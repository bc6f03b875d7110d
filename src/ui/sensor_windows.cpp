#include "ui/sensor_windows.h"

#include <QChart>
#include <QChartView>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineSeries>
#include <QPainter>
#include <QVBoxLayout>
#include <QValueAxis>
#include <cmath>

#include "app/app_core.h"
#include "ui/attitude_scene_widget.h"
#include "ui/main_window.h"
#include "ui/monitor_list.h"

namespace gnss::ui {

namespace {

constexpr Qt::WindowFlags kSensorWindowFlags =
    Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
constexpr int kChartHeight = 68;
constexpr std::array<QColor, 3> kAxisColors{QColor(255, 90, 90), QColor(80, 220, 90),
                                            QColor(90, 150, 255)};

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QColor ColorOf(Rgb rgb) {
    return QColor(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>(rgb & 0xFF));
}

QColor PictureColor(IndicatorPicture picture) {
    switch (picture) {
        case IndicatorPicture::On:
            return QColor(60, 255, 60);
        case IndicatorPicture::Amber:
            return QColor(255, 176, 0);
        case IndicatorPicture::Green:
            return QColor(0, 170, 60);
        case IndicatorPicture::Blue:
            return QColor(40, 120, 255);
        case IndicatorPicture::Off:
            break;
    }
    return QColor(70, 70, 70);
}

template <std::size_t N>
std::array<QList<QPointF>, 3> Lines(const SampleWindow<N>& samples) {
    std::array<QList<QPointF>, 3> lines;
    for (std::size_t axis = 0; axis < 3; ++axis) {
        lines[axis].reserve(static_cast<qsizetype>(samples.Count()));
        for (std::size_t i = 0; i < samples.Count(); ++i) {
            lines[axis].append(QPointF(static_cast<double>(i), samples.At(axis, i)));
        }
    }
    return lines;
}

QRect RectOf(const ScreenRect& rect) {
    return QRect(rect.Left, rect.Top, rect.Width, rect.Height);
}

ScreenRect ScreenRectOf(const QRect& rect) {
    return ScreenRect{rect.left(), rect.top(), rect.width(), rect.height()};
}

}  // namespace

// The field intensity as a bar filled from below.
class IntensityBar final : public QWidget {
  public:
    explicit IntensityBar(QWidget* parent) : QWidget(parent) { setFixedSize(12, 60); }
    void SetLevel(int level) {
        if (level == level_) return;
        level_ = level;
        update();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(20, 20, 20));
        const int fill = IntensityBarFill(height(), level_);
        painter.fillRect(QRect(0, height() - fill, width(), fill), QColor(255, 200, 40));
        painter.setPen(QColor(140, 140, 140));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }

  private:
    int level_ = 0;
};

// A round indicator light.
class IndicatorLight final : public QWidget {
  public:
    explicit IndicatorLight(QWidget* parent) : QWidget(parent) { setFixedSize(16, 16); }
    void SetPicture(IndicatorPicture picture) {
        if (picture == picture_) return;
        picture_ = picture;
        update();
    }
    [[nodiscard]] IndicatorPicture Picture() const { return picture_; }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QColor(20, 20, 20));
        painter.setBrush(PictureColor(picture_));
        painter.drawEllipse(rect().adjusted(1, 1, -2, -2));
    }

  private:
    IndicatorPicture picture_ = IndicatorPicture::Off;
};

// --- StripChart ---

StripChart::StripChart(QWidget* parent, const QString& title, int xMax, bool compact) {
    auto* chart = new QChart();
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setVisible(!compact);
    chart->legend()->setAlignment(Qt::AlignRight);
    chart->legend()->setLabelColor(QColor(220, 220, 220));
    chart->setMargins(QMargins(0, 0, 0, 0));
    chart->setBackgroundRoundness(0);
    chart->setBackgroundBrush(QColor(16, 16, 24));
    chart->setTitle(title);
    chart->setTitleBrush(QColor(220, 220, 220));
    QFont titleFont = chart->titleFont();
    titleFont.setPointSize(7);
    chart->setTitleFont(titleFont);
    auto* xAxis = new QValueAxis();
    xAxis->setRange(0, xMax);
    xAxis->setLabelsVisible(false);
    xAxis->setGridLineColor(QColor(60, 60, 70));
    yAxis_ = new QValueAxis();
    QFont labelFont = yAxis_->labelsFont();
    labelFont.setPointSize(6);
    yAxis_->setLabelsFont(labelFont);
    yAxis_->setLabelsBrush(QColor(200, 200, 200));
    yAxis_->setGridLineColor(QColor(60, 60, 70));
    if (compact) {
        yAxis_->setLabelsVisible(false);
        yAxis_->setTickType(QValueAxis::TicksDynamic);
        yAxis_->setTickAnchor(0.0);
        yAxis_->setTickInterval(1.0);
    }
    chart->addAxis(xAxis, Qt::AlignBottom);
    chart->addAxis(yAxis_, Qt::AlignLeft);
    static constexpr std::array<const char*, 3> kLineNames{"X", "Y", "Z"};
    for (std::size_t axis = 0; axis < 3; ++axis) {
        auto* series = new QLineSeries();
        series->setName(kLineNames[axis]);
        series->setColor(kAxisColors[axis]);
        chart->addSeries(series);
        series->attachAxis(xAxis);
        series->attachAxis(yAxis_);
        series_[axis] = series;
    }
    view_ = new QChartView(chart, parent);
    view_->setRenderHint(QPainter::Antialiasing);
}

void StripChart::SetSamples(const std::array<QList<QPointF>, 3>& lines, double low, double high) {
    for (std::size_t axis = 0; axis < 3; ++axis) series_[axis]->replace(lines[axis]);
    if (low == high) {
        // Follows the data, with a margin and at least one unit of height.
        double mn = 0.0, mx = 0.0;
        bool any = false;
        for (const auto& line : lines) {
            for (const QPointF& p : line) {
                mn = any ? std::min(mn, p.y()) : p.y();
                mx = any ? std::max(mx, p.y()) : p.y();
                any = true;
            }
        }
        const double margin = std::max((mx - mn) * 0.1, 0.5);
        yAxis_->setRange(mn - margin, mx + margin);
        yAxis_->applyNiceNumbers();
    } else {
        yAxis_->setRange(low, high);
    }
}

int StripChart::PointCount(int axis) const {
    return static_cast<int>(series_[static_cast<std::size_t>(axis)]->count());
}

// --- AttitudeWindow ---

AttitudeWindow::AttitudeWindow(QWidget* parent) : QWidget(parent, kSensorWindowFlags) {
    setWindowTitle(Text(kAttitudeWindowTitle));
    setObjectName("frmGS");
    setFixedSize(kAttitudeWindowWidth, kAttitudeWindowHeight);
    setStyleSheet("AttitudeWindow { background: #202028; } QLabel { color: #e0e0e0; }");
    auto* layout = new QVBoxLayout(this);
    layout_ = layout;
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(1);

    auto* title = new QLabel(Text(kAttitudeViewTitle), this);
    layout->addWidget(title);
    if (AttitudeSceneWidget::OpenGlAvailable()) {
        scene_ = new AttitudeSceneWidget(this);
        scene_->setFixedSize(kAttitudeViewSide, kAttitudeViewSide);
        layout->addWidget(scene_);
    } else {
        noOpenGl_ = new QLabel(Text(kNoOpenGlText), this);
        noOpenGl_->setFixedSize(kAttitudeViewSide, kAttitudeViewSide);
        noOpenGl_->setAlignment(Qt::AlignCenter);
        noOpenGl_->setWordWrap(true);
        noOpenGl_->setStyleSheet("background: #101018; color: #c0c0c0;");
        layout->addWidget(noOpenGl_);
    }

    panel_ = new QWidget(this);
    panel_->setAutoFillBackground(true);
    auto* grid = new QGridLayout(panel_);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setSpacing(2);
    grid->addWidget(new QLabel(Text(kInformationPanelTitle), panel_), 0, 0, 1, 3);
    static constexpr std::array<const char*, 3> kAxisNames{"X:", "Y:", "Z:"};
    for (int axis = 0; axis < 3; ++axis) {
        grid->addWidget(new QLabel(kAxisNames[static_cast<std::size_t>(axis)], panel_), axis + 1,
                        0);
        auto* label = new QLabel(panel_);
        label->setFont(QFont("monospace", 8));
        grid->addWidget(label, axis + 1, 1);
        accelerations_[static_cast<std::size_t>(axis)] = label;
        auto* light = new IndicatorLight(panel_);
        grid->addWidget(light, axis + 1, 3);
        lights_[static_cast<std::size_t>(axis)] = light;
    }
    bar_ = new IntensityBar(panel_);
    grid->addWidget(bar_, 1, 2, 3, 1);
    intensity_ = new QLabel(panel_);
    grid->addWidget(intensity_, 4, 0, 1, 4);
    layout->addWidget(panel_);

    static constexpr std::array<const char*, 3> kChartTitles{"X (G)", "Y (G)", "Z (G)"};
    for (std::size_t axis = 0; axis < 3; ++axis) {
        charts_[axis] = new StripChart(
            this, kChartTitles[axis],
            static_cast<int>(decltype(AttitudeWindowView::Accelerations)::kCapacity), true);
        charts_[axis]->View()->setFixedHeight(kChartHeight);
        layout->addWidget(charts_[axis]->View());
    }
    layout->addStretch(1);
    Refresh(AttitudeWindowView{});
}

void AttitudeWindow::Refresh(const AttitudeWindowView& view) {
    for (std::size_t axis = 0; axis < 3; ++axis) {
        accelerations_[axis]->setText(Text(view.AccelerationTexts[axis]));
        accelerations_[axis]->setStyleSheet(
            QString("color: %1;").arg(ColorOf(view.AccelerationColors[axis]).name()));
        lights_[axis]->SetPicture(view.Lights[axis]);
    }
    intensity_->setText(Text(view.IntensityText));
    bar_->SetLevel(view.IntensityLevel);
    if (view.PanelColor != panelColor_) {
        panelColor_ = view.PanelColor;
        QPalette palette = panel_->palette();
        palette.setColor(QPalette::Window, ColorOf(panelColor_));
        panel_->setPalette(palette);
    }
    if (scene_ != nullptr && view.OrientationRevision != orientationRevision_) {
        orientationRevision_ = view.OrientationRevision;
        scene_->SetOrientation(view.Orientation);
    }
    if (view.Accelerations.Revision() != chartRevision_) {
        chartRevision_ = view.Accelerations.Revision();
        const auto lines = Lines(view.Accelerations);
        for (std::size_t axis = 0; axis < 3; ++axis) {
            charts_[axis]->SetSamples({lines[axis], {}, {}}, -kAccelerationChartLimitG,
                                      kAccelerationChartLimitG);
        }
    }
}

void AttitudeWindow::PutSceneOver(QWidget* target) {
    if (scene_ == nullptr || target == nullptr || target->parentWidget() == nullptr) return;
    layout_->removeWidget(scene_);
    scene_->setParent(target->parentWidget());
    scene_->setMinimumSize(0, 0);
    scene_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    scene_->setGeometry(target->geometry());
    scene_->show();
    scene_->raise();
    sceneAway_ = true;
}

void AttitudeWindow::ReturnScene() {
    if (scene_ == nullptr || !sceneAway_) return;
    scene_->setParent(this);
    scene_->setFixedSize(kAttitudeViewSide, kAttitudeViewSide);
    layout_->insertWidget(1, scene_);
    scene_->show();
    sceneAway_ = false;
}

// --- DrSensorChartsWindow ---

DrSensorChartsWindow::DrSensorChartsWindow(QWidget* parent) : QWidget(parent, kSensorWindowFlags) {
    setWindowTitle("DR");
    setObjectName("frmSTDR");
    setFixedSize(kDrSensorWindowWidth, kDrSensorWindowHeight);
    setStyleSheet("DrSensorChartsWindow { background: #202028; }");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(1);
    const int xMax = static_cast<int>(kDrSensorSamples) - 1;
    accelerometer_ = new StripChart(this, Text(kAccelerometerTitle), xMax, false);
    gyro_ = new StripChart(this, Text(kGyroTitle), xMax, false);
    layout->addWidget(accelerometer_->View(), 1);
    layout->addWidget(gyro_->View(), 1);
}

void DrSensorChartsWindow::Refresh(const DrSensorWindowView& view) {
    if (view.Accelerometer.Revision() != accelerometerRevision_) {
        accelerometerRevision_ = view.Accelerometer.Revision();
        accelerometer_->SetSamples(Lines(view.Accelerometer), 0.0, 0.0);
    }
    if (view.Gyro.Revision() != gyroRevision_) {
        gyroRevision_ = view.Gyro.Revision();
        gyro_->SetSamples(Lines(view.Gyro), 0.0, 0.0);
    }
}

// --- SensorWindowsWiring ---

SensorWindowsWiring::SensorWindowsWiring(MainWindow& mainWindow, AppCore& core)
    : QObject(&mainWindow), mainWindow_(mainWindow), core_(core) {
    attitude_ = new AttitudeWindow(&mainWindow_);
    drSensors_ = new DrSensorChartsWindow(&mainWindow_);
    mainWindow_.installEventFilter(this);
    monitor_ = mainWindow_.MonitorList();
    if (monitor_ != nullptr) monitor_->installEventFilter(this);
    if (AttitudeSceneWidget* scene = attitude_->Scene()) {
        scene->Dropped = [this](QPoint at) { SceneDropped(at); };
    }
}

// Qt drops the event filters of a destroyed filter object by itself; the watched widgets may be
// gone already while the main window takes its children down.
SensorWindowsWiring::~SensorWindowsWiring() = default;

bool SensorWindowsWiring::eventFilter(QObject* watched, QEvent* event) {
    const bool moved = event->type() == QEvent::Move || event->type() == QEvent::Resize;
    if (moved && watched == &mainWindow_) Place();
    if (moved && monitor_ != nullptr && watched == monitor_) FitSceneToMonitor();
    return QObject::eventFilter(watched, event);
}

void SensorWindowsWiring::SceneDropped(QPoint at) {
    QWidget* monitor = monitor_;
    if (monitor == nullptr || !monitor->isVisible()) {
        attitude_->ReturnScene();
        return;
    }
    const QRect area(monitor->mapToGlobal(QPoint(0, 0)), monitor->size());
    switch (AttitudeViewDropPlace(ScreenRectOf(area), at.x(), at.y())) {
        case AttitudeViewPlace::MonitorPanel:
            attitude_->PutSceneOver(monitor);
            break;
        case AttitudeViewPlace::AttitudeWindow:
            attitude_->ReturnScene();
            break;
    }
}

void SensorWindowsWiring::FitSceneToMonitor() {
    if (!attitude_->SceneAway() || monitor_ == nullptr) return;
    attitude_->Scene()->setGeometry(monitor_->geometry());
}

void SensorWindowsWiring::Place() {
    const ScreenRect main = ScreenRectOf(mainWindow_.frameGeometry());
    const ScreenRect attitude = AttitudeWindowRect(main);
    if (attitude_->isVisible()) attitude_->setGeometry(RectOf(attitude));
    if (drSensors_->isVisible()) {
        drSensors_->setGeometry(RectOf(DrSensorWindowRect(
            main, attitude_->isVisible() ? std::optional(attitude) : std::nullopt)));
    }
}

void SensorWindowsWiring::Refresh() {
    const AttitudeWindowView& attitude = core_.Attitude.View();
    if (attitude.Visible) attitude_->Refresh(attitude);
    if (attitude.Visible != attitude_->isVisible()) {
        if (!attitude.Visible) attitude_->ReturnScene();  // the monitor is uncovered again
        attitude_->setVisible(attitude.Visible);
        Place();
    }
    const DrSensorWindowView& dr = core_.DrSensors.View();
    if (dr.Visible || drSensors_->isVisible()) drSensors_->Refresh(dr);
    if (dr.Visible != drSensors_->isVisible()) {
        drSensors_->setVisible(dr.Visible);
        Place();
    }
}

}  // namespace gnss::ui
