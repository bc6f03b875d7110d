#include "ui/dr_calibration_widgets.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "ui/ui_style.h"

namespace gnss::ui {

namespace {

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void Colour(QLabel* label, Rgb text, Rgb background) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, ToColor(text));
    palette.setColor(QPalette::Window, ToColor(background));
    label->setPalette(palette);
}

QLabel* DarkLabel(QWidget* parent, int pointSize = 10) {
    auto* label = new QLabel(parent);
    label->setAutoFillBackground(true);
    label->setFont(FixedFont(pointSize));
    label->setAlignment(Qt::AlignCenter);
    Colour(label, 0xFFFFFF, 0x000000);
    return label;
}

constexpr std::array<std::string_view, 4> kValueCaptions = {"DR", "Odo scale", "Gyro gain",
                                                            "Gyro offset"};

}  // namespace

void QtSounds::Beep() {
    QApplication::beep();
}

void QtSounds::PlayCompletionSound() {
    QApplication::beep();
}

DrPanelWidget::DrPanelWidget(const DrCalibration& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    setObjectName("plDR");
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(3);
    start_ = new QPushButton(Text(kStartCalibrationCaption), this);
    start_->setObjectName("btnStartCalibration");
    connect(start_, &QPushButton::clicked, this, &DrPanelWidget::StartClicked);
    layout->addWidget(start_, 0, 0, 1, 2);
    for (std::size_t i = 0; i < steps_.size(); ++i) {
        steps_[i] = DarkLabel(this);
        steps_[i]->setText(Text(kDrStepCaptions[i]));
        steps_[i]->setMinimumWidth(48);
        steps_[i]->installEventFilter(this);
        layout->addWidget(steps_[i], 0, static_cast<int>(i) + 2);
    }
    count_ = DarkLabel(this, kDrCountSize);
    count_->setObjectName("lblDRCount");
    count_->setMinimumHeight(48);
    count_->installEventFilter(this);
    layout->addWidget(count_, 1, 0, 2, 2);
    speed_ = DarkLabel(this);
    layout->addWidget(speed_, 1, 2, 1, 3);
    odometer_ = DarkLabel(this);
    layout->addWidget(odometer_, 2, 2, 1, 3);
    for (std::size_t i = 0; i < values_.size(); ++i) {
        auto* caption = new QLabel(Text(kValueCaptions[i]), this);
        layout->addWidget(caption, 3, static_cast<int>(i));
        values_[i] = DarkLabel(this);
        layout->addWidget(values_[i], 4, static_cast<int>(i));
    }
    auto* lights = new QHBoxLayout;
    for (QLabel*& light : lights_) {
        light = new QLabel(this);
        light->setFixedSize(14, 14);
        light->setAutoFillBackground(true);
        lights->addWidget(light);
    }
    lights->addStretch(1);
    layout->addLayout(lights, 5, 0, 1, 5);
    message_ = new QLabel(this);
    layout->addWidget(message_, 6, 0, 1, 5);
    tdkSpeed_ = DarkLabel(this, 11);
    layout->addWidget(tdkSpeed_, 7, 0, 1, 2);
    tdkState_ = DarkLabel(this, 11);
    layout->addWidget(tdkState_, 7, 2, 1, 3);
    Refresh();
}

bool DrPanelWidget::eventFilter(QObject* watched, QEvent* event) {
    for (std::size_t i = 0; i < steps_.size(); ++i) {
        if (watched != steps_[i]) continue;
        if (event->type() == QEvent::Enter) emit StepHovered(static_cast<DrStep>(i));
        if (event->type() == QEvent::Leave) emit StepLeft();
    }
    if (watched == count_ && event->type() == QEvent::MouseButtonDblClick) {
        emit CountDoubleClicked();
    }
    return QWidget::eventFilter(watched, event);
}

void DrPanelWidget::Refresh() {
    const DrCalibrationView& v = model_.View();
    setVisible(v.PanelShown);
    if (!v.PanelShown) return;
    start_->setEnabled(v.StartEnabled);
    for (std::size_t i = 0; i < steps_.size(); ++i) Colour(steps_[i], v.StepColours[i], 0x000000);
    count_->setText(Text(v.CountText));
    count_->setFont(FixedFont(v.CountSize));
    Colour(count_, v.CountColour, 0x000000);
    speed_->setText(Text(v.SpeedText.empty() ? v.InputName : v.SpeedText));
    Colour(speed_, v.SpeedHighlighted ? 0xFFFF00 : 0xFFFFFF, 0x000000);
    odometer_->setText(Text(v.OdometerText));
    message_->setText(Text(v.MessageText));
    for (std::size_t i = 0; i < values_.size(); ++i) values_[i]->setText(Text(v.Values[i]));
    for (std::size_t i = 0; i < lights_.size(); ++i) {
        QPalette palette = lights_[i]->palette();
        palette.setColor(QPalette::Window, ToColor(v.Lights[i]));
        lights_[i]->setPalette(palette);
    }
    tdkSpeed_->setVisible(v.TdkStatusShown);
    tdkState_->setVisible(v.TdkStatusShown);
    tdkSpeed_->setText(Text(v.TdkSpeedText));
    tdkState_->setText(Text(v.TdkStateText));
    tdkState_->setFont(FixedFont(v.TdkStateSize));
}

DrInfoWidget::DrInfoWidget(DrInfoWindow& model, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), model_(model) {
    setObjectName("TInfoSTDR");
    setWindowTitle(Text(kDrInfoCaption));
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    icon_ = new QLabel(this);
    icon_->setAlignment(Qt::AlignTop);
    row->addWidget(icon_);
    text_ = new QLabel(this);
    text_->setFont(FixedFont(10));
    row->addWidget(text_, 1);
    layout->addLayout(row);
    auto* buttons = new QHBoxLayout;
    countdown_ = new QLabel(this);
    buttons->addWidget(countdown_);
    buttons->addStretch(1);
    ok_ = new QPushButton(tr("OK"), this);
    cancel_ = new QPushButton(tr("Cancel"), this);
    connect(ok_, &QPushButton::clicked, this, [this] { model_.Close(DrInfoResult::Ok); });
    connect(cancel_, &QPushButton::clicked, this, [this] { model_.Close(DrInfoResult::Cancel); });
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
}

void DrInfoWidget::closeEvent(QCloseEvent* event) {
    model_.Close(DrInfoResult::Cancel);
    event->accept();
}

void DrInfoWidget::Refresh(const QWidget* anchor, int monitorWidth) {
    if (!model_.Visible()) {
        if (isVisible()) hide();
        return;
    }
    const QStyle::StandardPixmap icon = model_.Icon() == DrInfoIcon::Error
                                            ? QStyle::SP_MessageBoxCritical
                                            : QStyle::SP_MessageBoxInformation;
    icon_->setPixmap(style()->standardIcon(icon).pixmap(32, 32));
    text_->setText(Text(model_.Text()));
    QPalette palette = text_->palette();
    palette.setColor(QPalette::WindowText, ToColor(model_.TextColour()));
    text_->setPalette(palette);
    countdown_->setVisible(model_.CountdownShown());
    countdown_->setText(QString::number(model_.SecondsLeft()));
    cancel_->setVisible(model_.CancelShown());
    setWindowModality(model_.Modal() ? Qt::ApplicationModal : Qt::NonModal);
    if (model_.ShowCount() != shownCount_) {
        shownCount_ = model_.ShowCount();
        adjustSize();
        if (anchor != nullptr) {
            const DrInfoWindow::Point at = DrInfoWindow::Placement(
                anchor->geometry().left(), anchor->geometry().top(), monitorWidth, width());
            move(at.X, at.Y);
        }
        show();
        raise();
    }
}

}  // namespace gnss::ui
