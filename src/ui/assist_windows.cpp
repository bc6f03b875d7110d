#include "ui/assist_windows.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace gnss::ui {

namespace {

void PaintGauge(QProgressBar* bar, uint32_t position, uint32_t max, const std::string& colour) {
    bar->setMaximum(static_cast<int>(max > 0 ? max : 1));
    bar->setValue(static_cast<int>(position));
    bar->setStyleSheet(QString("QProgressBar::chunk { background-color: %1; }")
                           .arg(QString::fromStdString(colour)));
}

}  // namespace

SgeeWindow::SgeeWindow(const SgeeUpload& model, QWidget* parent) : QDialog(parent), model_(model) {
    setObjectName("fmSGEE");
    setModal(true);
    setFixedSize(390, 101);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    validity_ = new QLabel(this);
    validity_->setObjectName("lblValidity");
    gauge_ = new QProgressBar(this);
    gauge_->setTextVisible(false);
    gauge_->setFixedHeight(14);
    seconds_ = new QLabel(this);
    seconds_->setObjectName("lblSeconds");
    auto* row = new QHBoxLayout;
    update_ = new QPushButton(tr("Update"), this);
    checkAge_ = new QPushButton(tr("Check SGEE Age"), this);
    close_ = new QPushButton(tr("Close"), this);
    row->addWidget(seconds_, 1);
    row->addWidget(checkAge_);
    row->addWidget(update_);
    row->addWidget(close_);
    layout->addWidget(validity_);
    layout->addWidget(gauge_);
    layout->addLayout(row);
    connect(update_, &QPushButton::clicked, this, &SgeeWindow::UpdateClicked);
    connect(checkAge_, &QPushButton::clicked, this, &SgeeWindow::CheckAgeClicked);
    connect(close_, &QPushButton::clicked, this, &SgeeWindow::CloseClicked);
    Refresh();
}

void SgeeWindow::Refresh() {
    const SgeeWindowView& view = model_.View();
    setWindowTitle(QString::fromStdString(view.Caption));
    validity_->setText(QString::fromStdString(view.ValidityText));
    seconds_->setText(QString::fromStdString(view.SecondsText));
    gauge_->setVisible(view.GaugeVisible);
    PaintGauge(gauge_, view.GaugePosition, view.GaugeMax, view.GaugeColour);
    update_->setEnabled(view.UpdateEnabled);
    checkAge_->setEnabled(view.CheckAgeEnabled);
    close_->setEnabled(view.CloseEnabled);
    if (view.Visible != isVisible()) setVisible(view.Visible);
}

HdAssistPage::HdAssistPage(HdAssist& model, QWidget* parent) : QWidget(parent), model_(model) {
    setObjectName("tsHD");
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 2, 4, 2);
    const std::array<const char*, 2> names = {"ggHDB", "ggBDS"};
    for (std::size_t i = 0; i < 2; ++i) {
        gauges_[i] = new QProgressBar(this);
        gauges_[i]->setObjectName(names[i]);
        gauges_[i]->setFormat("%v / %m");
        times_[i] = new QLabel(this);
        grid->addWidget(gauges_[i], static_cast<int>(i), 0);
        grid->addWidget(times_[i], static_cast<int>(i), 1);
    }
    fileName_ = new QLineEdit(this);
    fileName_->setObjectName("edHDBName");
    auto* named = new QToolButton(this);
    named->setText("...");
    gps_ = new QCheckBox(tr("GPS"), this);
    bds_ = new QCheckBox(tr("BDS"), this);
    save_ = new QCheckBox(tr("Save HDB"), this);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileName_, 1);
    fileRow->addWidget(named);
    fileRow->addWidget(gps_);
    fileRow->addWidget(bds_);
    fileRow->addWidget(save_);
    grid->addLayout(fileRow, 2, 0, 1, 2);

    auto* aidingRow = new QHBoxLayout;
    aidingRow->addWidget(new QLabel(tr(" Initial Aiding option "), this));
    aiding_ = new QButtonGroup(this);
    const std::array<std::pair<const char*, InitialAiding>, 4> options = {{
        {"None", InitialAiding::None},
        {"PT", InitialAiding::PositionTime},
        {"Pos", InitialAiding::Position},
        {"Time", InitialAiding::Time},
    }};
    for (const auto& [text, value] : options) {
        auto* radio = new QRadioButton(tr(text), this);
        aiding_->addButton(radio, static_cast<int>(value));
        aidingRow->addWidget(radio);
    }
    grid->addLayout(aidingRow, 3, 0, 1, 2);

    auto* buttonRow = new QHBoxLayout;
    const std::array<const char*, 3> labels = {"Update HDB on Line", "Update HDB from file",
                                               "get HDB"};
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        buttons_[i] = new QPushButton(tr(labels[i]), this);
        buttonRow->addWidget(buttons_[i]);
    }
    grid->addLayout(buttonRow, 4, 0, 1, 2);

    connect(buttons_[0], &QPushButton::clicked, this, &HdAssistPage::UpdateOnlineClicked);
    connect(buttons_[1], &QPushButton::clicked, this, &HdAssistPage::UpdateFromFileClicked);
    connect(buttons_[2], &QPushButton::clicked, this, &HdAssistPage::GetClicked);
    connect(named, &QToolButton::clicked, this, &HdAssistPage::NamedFileClicked);
    connect(gps_, &QCheckBox::toggled, this, [this](bool on) { model_.Options().GpsTicked = on; });
    connect(bds_, &QCheckBox::toggled, this, [this](bool on) { model_.Options().BdsTicked = on; });
    connect(save_, &QCheckBox::toggled, this,
            [this](bool on) { model_.Options().SaveTicked = on; });
    connect(fileName_, &QLineEdit::textEdited, this,
            [this](const QString& text) { model_.Options().FileName = text.toStdString(); });
    connect(aiding_, &QButtonGroup::idClicked, this,
            [this](int id) { model_.Options().Aiding = static_cast<InitialAiding>(id); });
    Refresh();
}

void HdAssistPage::Refresh() {
    const HdPageView& view = model_.View();
    setVisible(view.Visible);
    for (std::size_t i = 0; i < 2; ++i) {
        const HdGaugeView& gauge = view.Gauges[i];
        PaintGauge(gauges_[i], gauge.Position, gauge.Max, gauge.Colour);
        times_[i]->setText(QString::fromStdString(view.TimeTexts[i]));
    }
    if (!fileName_->hasFocus()) fileName_->setText(QString::fromStdString(view.FileName));
    const QSignalBlocker blockGps(gps_);
    const QSignalBlocker blockBds(bds_);
    const QSignalBlocker blockSave(save_);
    gps_->setChecked(view.GpsTicked);
    bds_->setChecked(view.BdsTicked);
    save_->setChecked(view.SaveTicked);
    if (auto* button = aiding_->button(static_cast<int>(view.Aiding))) button->setChecked(true);
    for (QPushButton* button : buttons_) button->setEnabled(!view.Busy);
}

}  // namespace gnss::ui
