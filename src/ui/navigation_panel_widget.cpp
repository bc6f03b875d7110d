#include "ui/navigation_panel_widget.h"

#include <QFont>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "ui/sat_artwork.h"
#include "ui/ui_style.h"

namespace gnss::ui {

namespace {

constexpr double kWidth = NavigationPanelWidget::kNaturalWidth;
constexpr double kHeight = NavigationPanelWidget::kNaturalHeight;
constexpr double kRowHeight = 24.0;
constexpr double kTop = 8.0;
constexpr double kLeftCaption = 10.0;
constexpr double kLeftValue = 140.0;
constexpr double kRightCaption = 280.0;
constexpr double kRightValue = 378.0;

QRectF Row(double x, int row, double width) {
    return {x, kTop + row * kRowHeight, width, kRowHeight - 2};
}

// The rectangles the double clicks look at.
const QRectF kLatValue = Row(kLeftValue, 0, 132);
const QRectF kLonValue = Row(kLeftValue, 1, 132);
const QRectF kLatCaption = Row(kLeftCaption, 0, 130);
const QRectF kLonCaption = Row(kLeftCaption, 1, 130);
const QRectF kUtcValue = Row(kRightValue, 0, 194);
const QRectF kLocalValue = Row(kRightValue, 1, 194);

// The panel keeps its proportions: one scale for both directions, so that text is not
// stretched.
double ScaleFor(QSizeF size) {
    return std::min(size.width() / kWidth, size.height() / kHeight);
}

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}
QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

}  // namespace

NavigationPanelWidget::NavigationPanelWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(480, 120);
}

void NavigationPanelWidget::SetView(const NavigationPanelView& view) {
    if (view == view_) return;
    view_ = view;
    update();
}

void NavigationPanelWidget::Paint(QPainter& p, const NavigationPanelView& v, QSizeF size) {
    p.fillRect(QRectF(QPointF(0, 0), size), ToQColor(kNaviBackground));
    p.save();
    const double scale = ScaleFor(size);
    p.scale(scale, scale);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::Antialiasing);

    QFont caption = SansFont(9);
    caption.setPixelSize(12);
    QFont value = FixedFont(10);
    value.setPixelSize(13);
    value.setBold(true);

    // Value wells: a slightly darker strip behind each value.
    const auto well = [&p](const QRectF& r) {
        p.setPen(QPen(QColor(0x24, 0x44, 0x36), 1));
        p.setBrush(QColor(0x0C, 0x1A, 0x14));
        p.drawRoundedRect(r.adjusted(-4, 0, 0, 0), 3, 3);
    };
    const auto captionAt = [&](double x, int row, std::string_view text) {
        p.setFont(caption);
        p.setPen(ToQColor(kNaviCaptionColor));
        p.drawText(Row(x, row, 140), Qt::AlignLeft | Qt::AlignVCenter, Text(text));
    };
    const auto valueAt = [&](const QRectF& r, const std::string& text, Rgb color) {
        well(r);
        p.setFont(value);
        p.setPen(ToQColor(color));
        p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, Text(text));
    };
    const Rgb live = v.ValueColor;

    // Left column: position, altitude, fix, satellites.
    captionAt(kLeftCaption, 0, kNaviCaptions[0]);
    valueAt(kLatValue, v.LatitudeText, live);
    captionAt(kLeftCaption, 1, kNaviCaptions[1]);
    valueAt(kLonValue, v.LongitudeText, live);
    captionAt(kLeftCaption, 2, kNaviCaptions[4]);
    valueAt(Row(kLeftValue, 2, 132), v.AltitudeText, live);
    captionAt(kLeftCaption, 3, kNaviCaptions[2]);
    valueAt(Row(kLeftValue, 3, 132), v.FixText, live);
    if (v.FixKindLabelVisible && !v.FixKindLabel.empty()) {
        QFont small = caption;
        small.setPixelSize(9);
        small.setBold(true);
        p.setFont(small);
        const QRectF tag = Row(kLeftValue + 68, 4, 64).adjusted(0, 3, 0, -3);
        p.setPen(QPen(ToQColor(v.FixKindLabelColor), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(tag, 3, 3);
        p.drawText(tag, Qt::AlignCenter, Text(v.FixKindLabel));
    }
    captionAt(kLeftCaption, 4, kNaviCaptions[3]);
    valueAt(Row(kLeftValue, 4, 60), v.SatellitesUsedText, live);

    // Right column: times, speed, course, DOPs.
    captionAt(kRightCaption, 0, kNaviCaptions[5]);
    valueAt(kUtcValue, v.UtcTimeText, live);
    captionAt(kRightCaption, 1, kNaviCaptions[8]);
    valueAt(kLocalValue, v.LocalTimeText, live);
    captionAt(kRightCaption, 2, kNaviCaptions[7]);
    valueAt(Row(kRightValue, 2, 130), v.SpeedText, live);
    {
        QFont unit = caption;
        unit.setBold(true);
        p.setFont(unit);
        p.setPen(ToQColor(v.SpeedUnitColor));
        p.drawText(Row(kRightValue + 136, 2, 70), Qt::AlignLeft | Qt::AlignVCenter,
                   Text(v.SpeedUnitText));
    }
    const CourseRowLayout& course = v.CourseRow();
    captionAt(kRightCaption, 3, course.Caption);
    if (course.CogWide) {
        valueAt(Row(kRightValue, 3, 194), v.CourseText, live);
    } else {
        valueAt(Row(kRightValue, 3, 64), v.CourseText, live);
        if (course.MagneticVariationVisible)
            valueAt(Row(kRightValue + 70, 3, 52), v.MagneticVariationText, live);
        if (course.MagneticNorthVisible)
            valueAt(Row(kRightValue + 128, 3, 68), v.MagneticNorthText, live);
    }
    if (v.DopRowVisible) {
        const std::array<std::pair<int, const std::string*>, 3> dops = {
            {{9, &v.PdopText}, {10, &v.HdopText}, {11, &v.VdopText}}};
        for (std::size_t i = 0; i < dops.size(); ++i) {
            const double x = kRightCaption + i * 98.0;
            p.setFont(caption);
            p.setPen(ToQColor(kNaviCaptionColor));
            p.drawText(Row(x, 4, 42), Qt::AlignLeft | Qt::AlignVCenter,
                       Text(kNaviCaptions[dops[i].first]));
            valueAt(Row(x + 46, 4, 48), *dops[i].second, v.DopColor);
        }
    }
    p.restore();
}

NavigationPanelWidget::Spot NavigationPanelWidget::SpotAt(QPointF point, QSizeF size) {
    const QPointF at = point / ScaleFor(size);
    if (kLatValue.contains(at) || kLonValue.contains(at)) return Spot::PositionValue;
    if (kLatCaption.contains(at) || kLonCaption.contains(at)) return Spot::PositionCaption;
    if (kUtcValue.contains(at) || kLocalValue.contains(at)) return Spot::TimeValue;
    return Spot::None;
}

void NavigationPanelWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    Paint(painter, view_, size());
}

void NavigationPanelWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    switch (SpotAt(event->position(), size())) {
        case Spot::PositionValue:
            emit positionDoubleClicked();
            break;
        case Spot::PositionCaption:
            emit positionCaptionDoubleClicked();
            break;
        case Spot::TimeValue:
            emit timeDoubleClicked();
            break;
        case Spot::None:
            break;
    }
    event->accept();
}

}  // namespace gnss::ui
