#include "ui/traffic_panel_widget.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/ui_style.h"

namespace gnss::ui {

namespace {

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QLabel* PanelLabel(Rgb colour, QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setFont(FixedFont(10));
    label->setAutoFillBackground(true);
    label->setMinimumWidth(140);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, ToColor(kTrafficLabelBackground));
    palette.setColor(QPalette::WindowText, ToColor(colour));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x70, 0x70, 0x70));
    label->setPalette(palette);
    return label;
}

// Enter in the frequency box tunes.
class TuneBox : public QSpinBox {
  public:
    using QSpinBox::QSpinBox;
    std::function<void()> OnEnter;

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && OnEnter) {
            OnEnter();
            return;
        }
        QSpinBox::keyPressEvent(event);
    }
};

}  // namespace

SpectrumPlotWidget::SpectrumPlotWidget(const TrafficPanel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    setObjectName("sp_FMPlot");
    setMinimumSize(300, 140);
}

void SpectrumPlotWidget::paintEvent(QPaintEvent*) {
    const SpectrumStyle& style = kSpectrumStyle;
    const TrafficPanelView& v = model_.View();
    QPainter p(this);
    p.fillRect(rect(), ToColor(kTrafficPanelColour));
    p.setFont(FixedFont(7));
    const QFontMetrics metrics = p.fontMetrics();
    const int left = metrics.horizontalAdvance("0000") + 6;
    const int bottom = metrics.height() + 6;
    const QRect area(left, 4, width() - left - 8, height() - bottom - 4);
    p.fillRect(area, ToColor(style.PlotColour));
    const auto xOf = [&](double mhz) {
        return area.left() + (mhz - style.MinMhz) / (style.MaxMhz - style.MinMhz) * area.width();
    };
    const auto yOf = [&](double strength) {
        const double clamped = std::clamp(strength, style.MinStrength, style.MaxStrength);
        return area.bottom() - (clamped - style.MinStrength) /
                                   (style.MaxStrength - style.MinStrength) * area.height();
    };

    // Grid and axis labels.
    const int xTicks = SpectrumXTicks(area.width());
    p.setPen(ToColor(style.AxisColour));
    for (int i = 0; i < xTicks; ++i) {
        const double mhz = style.MinMhz + (style.MaxMhz - style.MinMhz) * i / (xTicks - 1);
        const double x = xOf(mhz);
        p.setPen(QPen(ToColor(style.XGridColour), 1, Qt::DotLine));
        p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        if (i % (xTicks > 11 ? 2 : 1) == 0) {
            p.setPen(ToColor(style.AxisColour));
            const QString label = Text(SpectrumAxisLabel(mhz));
            p.drawText(QPointF(x - metrics.horizontalAdvance(label) / 2.0,
                               area.bottom() + metrics.ascent() + 3),
                       label);
        }
    }
    for (int i = 0; i < style.YTicks; ++i) {
        const double strength =
            style.MinStrength + (style.MaxStrength - style.MinStrength) * i / (style.YTicks - 1);
        const double y = yOf(strength);
        p.setPen(QPen(ToColor(style.YGridColour), 1, Qt::DotLine));
        p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
        p.setPen(ToColor(style.AxisColour));
        const QString label = Text(SpectrumAxisLabel(strength));
        p.drawText(QPointF(area.left() - metrics.horizontalAdvance(label) - 3,
                           y + metrics.ascent() / 2.0 - 1),
                   label);
    }
    p.setPen(ToColor(style.AxisColour));
    p.drawLine(area.bottomLeft(), area.bottomRight());
    p.drawLine(area.bottomLeft(), area.topLeft());

    // The spectral lines.
    p.setPen(QPen(ToColor(style.LineColour), 2));
    for (const SpectrumLine& line : v.Lines) {
        const double x = xOf(line.FrequencyMhz);
        p.drawLine(QPointF(x, yOf(0.0)), QPointF(x, yOf(line.Strength)));
    }
    // The marker: a triangle hanging from the top and a line up to its strength.
    if (v.HasMarker) {
        const double x = xOf(v.Marker.FrequencyMhz);
        const double top = area.top();
        QPainterPath triangle;
        triangle.moveTo(x - 4, top + 1);
        triangle.lineTo(x, top + 7);
        triangle.lineTo(x + 4, top + 1);
        triangle.closeSubpath();
        p.setRenderHint(QPainter::Antialiasing);
        p.fillPath(triangle, ToColor(style.MarkerColour));
        p.setPen(QPen(ToColor(style.MarkerColour), 1));
        p.drawLine(QPointF(x, yOf(0.0)), QPointF(x, yOf(v.Marker.Strength)));
    }
}

TrafficPanelWidget::TrafficPanelWidget(const TrafficPanel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    setObjectName("Panel13");
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ToColor(kTrafficPanelColour));
    setPalette(palette);

    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    auto* labels = new QVBoxLayout;
    labels->setSpacing(2);
    frequency_ = PanelLabel(kTrafficFrequencyColour, this, "lblFM2");
    rssi_ = PanelLabel(kTrafficRssiColour, this, "lblRSSI2");
    country_ = PanelLabel(kTrafficCountryColour, this, "lblCC2");
    station_ = PanelLabel(kTrafficStationColour, this, "lblCHNLName2");
    rate_ = PanelLabel(kTrafficRateColour, this, "lblRate2");
    rate_->setToolTip(Text(kTrafficRateHint));
    seek_ = PanelLabel(kTrafficSeekColour, this, "lblSTC");
    seek_->setToolTip(Text(kTrafficSeekHint));
    for (QLabel* label : {frequency_, rssi_, country_, station_, rate_, seek_})
        labels->addWidget(label);

    auto* buttons = new QHBoxLayout;
    const char* glyphs[] = {"\u25C0", "\u25A0", "\u25B6"};
    int glyph = 0;
    for (const TrafficButtonText& b : kTrafficButtons) {
        auto* button = new QToolButton(this);
        button->setText(QString::fromUtf8(glyphs[glyph++]));
        button->setToolTip(Text(b.Hint));
        const TrafficButton id = b.Button;
        connect(button, &QToolButton::clicked, this, [this, id] { emit ButtonClicked(id); });
        buttons->addWidget(button);
    }
    labels->addLayout(buttons);
    auto* tuneRow = new QHBoxLayout;
    auto* tuneBox = new TuneBox(this);
    tuneBox_ = tuneBox;
    tuneBox_->setObjectName("SEFM");
    tuneBox_->setRange(0, 99999);  // the model clamps to the band when tuning
    tuneBox_->setSingleStep(kTuneStep);
    tuneBox->OnEnter = [this] { emit TuneToClicked(); };
    connect(tuneBox_, &QSpinBox::valueChanged, this, &TrafficPanelWidget::TuneValueChanged);
    tuneTo_ = new QPushButton(Text(kTuneToCaption), this);
    tuneTo_->setObjectName("Button6");
    connect(tuneTo_, &QPushButton::clicked, this, &TrafficPanelWidget::TuneToClicked);
    auto_ = new QPushButton(Text(kAutoCaption), this);
    auto_->setObjectName("Button8");
    auto_->setToolTip(Text(kAutoHint));
    connect(auto_, &QPushButton::clicked, this, &TrafficPanelWidget::AutoClicked);
    tuneRow->addWidget(tuneBox_);
    tuneRow->addWidget(tuneTo_);
    tuneRow->addWidget(auto_);
    labels->addLayout(tuneRow);
    labels->addStretch(1);
    outer->addLayout(labels);

    plot_ = new SpectrumPlotWidget(model_, this);
    outer->addWidget(plot_, 1);
    setMinimumHeight(190);
    Refresh();
}

void TrafficPanelWidget::Refresh() {
    const TrafficPanelView& v = model_.View();
    setVisible(v.Visible);
    if (!v.Visible) return;
    frequency_->setText(Text(v.FrequencyText));
    rssi_->setText(Text(v.RssiText));
    country_->setText(Text(v.CountryText));
    station_->setText(Text(v.StationText));
    station_->setEnabled(!v.StationGreyed);
    rate_->setText(Text(v.RateText));
    seek_->setText(Text(v.SeekText));
    QPalette palette = seek_->palette();
    palette.setColor(QPalette::Window, ToColor(v.SeekBackground));
    seek_->setPalette(palette);
    for (QWidget* w : std::initializer_list<QWidget*>{tuneBox_, tuneTo_, auto_}) {
        w->setVisible(v.TuningControlsShown);
        w->setEnabled(v.TuningControlsShown);
    }
    if (tuneBox_->value() != v.TuneValue) {
        const QSignalBlocker block(tuneBox_);
        tuneBox_->setValue(v.TuneValue);
    }
    plot_->update();
}

}  // namespace gnss::ui
