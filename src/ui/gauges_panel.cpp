#include "ui/gauges_panel.h"

#include <QGridLayout>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <utility>

#include "ui/gauge_widgets.h"
#include "ui/ui_style.h"

namespace gnss::ui {

namespace {

const QColor kPanelBackground(0x10, 0x13, 0x17);
const QColor kSocketFill(0x16, 0x1A, 0x1F);
const QColor kSocketRim(0x2A, 0x30, 0x38);
const QColor kCaptionColor(0x90, 0x98, 0xA0);
const QColor kValueColor(0xF0, 0xF0, 0xF0);

// Keeps a meter's place in the grid while the model hides it.
template <typename Meter>
Meter* AddMeter(QGridLayout* grid, QWidget* parent, int row, int column) {
    auto* meter = new Meter(parent);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    policy.setRetainSizeWhenHidden(true);
    meter->setSizePolicy(policy);
    meter->setMinimumSize(72, 72);
    grid->addWidget(meter, row, column);
    return meter;
}

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

GaugesPanel::GaugesPanel(QWidget* parent) : QWidget(parent) {
    setObjectName("plGauges");
    setAttribute(Qt::WA_OpaquePaintEvent);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(3, 3, 3, 3);
    grid->setSpacing(2);
    speedometer_ = AddMeter<SpeedometerWidget>(grid, this, 0, 0);
    heading_ = AddMeter<HeadingMeterWidget>(grid, this, 0, 1);
    compass_ = AddMeter<CompassMeterWidget>(grid, this, 1, 1);

    // The counter sits in the middle of its cell, its captions are painted around it.
    auto* counterCell = new QWidget(this);
    counterCell->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* counterLayout = new QVBoxLayout(counterCell);
    counterLayout->setContentsMargins(0, 0, 0, 0);
    counterLayout->addStretch(1);
    odometer_ = new OdometerWidget(counterCell);
    odometer_->setFixedSize(odometer_->sizeHint());
    counterLayout->addWidget(odometer_, 0, Qt::AlignHCenter);
    counterLayout->addStretch(1);
    grid->addWidget(counterCell, 1, 0);
    grid->setRowStretch(0, 1);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
}

void GaugesPanel::SetView(const GaugesView& view, const std::string& speedUnit,
                          const std::string& courseUp) {
    if (hasView_ && view == view_ && speedUnit == speedUnit_ && courseUp == courseUp_) return;
    const bool speedometerChanged =
        !hasView_ || view.SpeedometerVisible != view_.SpeedometerVisible ||
        view.SpeedometerAngle != view_.SpeedometerAngle ||
        view.SpeedometerColor != view_.SpeedometerColor || view.Face != view_.Face;
    const bool headingChanged =
        !hasView_ || view.HeadingMeterVisible != view_.HeadingMeterVisible ||
        view.Heading != view_.Heading || view.HeadingNeedleColor != view_.HeadingNeedleColor ||
        view.HeadingArrowColor != view_.HeadingArrowColor;
    const bool compassChanged =
        !hasView_ || view.CompassMeterVisible != view_.CompassMeterVisible ||
        view.CompassHeading != view_.CompassHeading || view.CompassColor != view_.CompassColor;
    const bool labelsChanged = !hasView_ || speedUnit != speedUnit_ || courseUp != courseUp_ ||
                               view.HeadingLabel != view_.HeadingLabel ||
                               view.HeadingLabelVisible != view_.HeadingLabelVisible ||
                               view.CourseUpVisible != view_.CourseUpVisible ||
                               view.AntennaDistanceLabel != view_.AntennaDistanceLabel ||
                               view.AntennaDistanceVisible != view_.AntennaDistanceVisible;
    view_ = view;
    speedUnit_ = speedUnit;
    courseUp_ = courseUp;
    hasView_ = true;
    if (speedometerChanged) speedometer_->SetView(view);
    if (headingChanged) heading_->SetView(view);
    if (compassChanged) compass_->SetView(view);
    odometer_->SetView(view);  // repaints only a new value
    if (labelsChanged) update();
}

void GaugesPanel::paintEvent(QPaintEvent* /*event*/) {
    QPainter p(this);
    p.fillRect(rect(), kPanelBackground);
    p.setRenderHint(QPainter::Antialiasing);

    // Sockets under the round meters: what stays, with the meter's name, while the model
    // hides a meter.
    QFont socketFont = SansFont(8, true);
    socketFont.setPixelSize(10);
    p.setFont(socketFont);
    const std::array<std::pair<const QWidget*, QString>, 3> sockets = {{
        {speedometer_, tr("SPEED")},
        {heading_, tr("COURSE")},
        {compass_, tr("HEADING")},
    }};
    for (const auto& [meter, name] : sockets) {
        const QRectF r = meter->geometry();
        const double radius = std::min(r.width(), r.height()) / 2.0 - 1.0;
        p.setPen(QPen(kSocketRim, 1.5));
        p.setBrush(kSocketFill);
        p.drawEllipse(r.center(), radius, radius);
        p.setPen(kSocketRim.lighter(150));
        p.drawText(r, Qt::AlignCenter, name);
    }

    // Captions of the counter: what it counts above, the unit below.
    const QRect counter(odometer_->mapTo(this, QPoint(0, 0)), odometer_->size());
    QFont caption = SansFont(8, true);
    caption.setPixelSize(10);
    p.setFont(caption);
    p.setPen(kCaptionColor);
    p.drawText(QRect(counter.left() - 20, counter.top() - 18, counter.width() + 40, 16),
               Qt::AlignHCenter | Qt::AlignBottom, tr("SPEED"));
    p.drawText(QRect(counter.left() - 20, counter.bottom() + 3, counter.width() + 40, 16),
               Qt::AlignHCenter | Qt::AlignTop, Text(speedUnit_));

    // Dual-antenna labels, under the meters they belong to.
    QFont value = FixedFont(8);
    value.setPixelSize(10);
    value.setBold(true);
    p.setFont(value);
    p.setPen(kValueColor);
    const auto under = [&](const QWidget* meter, int line, const QString& text) {
        const QRect r = meter->geometry();
        p.drawText(QRect(r.left(), r.bottom() - 12 * (line + 1), r.width(), 12),
                   Qt::AlignRight | Qt::AlignVCenter, text);
    };
    if (view_.CourseUpVisible && !courseUp_.empty()) under(heading_, 0, Text(courseUp_));
    if (view_.HeadingLabelVisible && !view_.HeadingLabel.empty()) {
        under(compass_, 1, QStringLiteral("HDT ") + Text(view_.HeadingLabel));
    }
    if (view_.AntennaDistanceVisible && !view_.AntennaDistanceLabel.empty()) {
        under(compass_, 0, Text(view_.AntennaDistanceLabel));
    }
}

}  // namespace gnss::ui
