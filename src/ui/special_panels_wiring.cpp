#include "ui/special_panels_wiring.h"

#include <QLocale>

#include "ui/main_window.h"
#include "ui/traffic_panel_widget.h"

namespace gnss::ui {

namespace {

// The system's language as a Windows language code: 2052 simplified, 1028 traditional Chinese.
int SystemLanguageCode() {
    const QLocale locale = QLocale::system();
    if (locale.language() != QLocale::Chinese) return 0;
    return locale.script() == QLocale::TraditionalChineseScript ? 1028 : 2052;
}

}  // namespace

SpecialPanelsWiring::SpecialPanelsWiring(MainWindow& window, AppCore& core)
    : QObject(&window), window_(window), core_(core) {
    core_.Sounds.SetTarget(&sounds_);
    core_.SetSystemLanguage(SystemLanguageCode());

    traffic_ = new TrafficPanelWidget(core_.Traffic, &window_);
    window_.AddBelowMonitor(traffic_);
    connect(traffic_, &TrafficPanelWidget::ButtonClicked, this,
            [this](TrafficButton button) { core_.Traffic.ButtonClicked(button); });
    connect(traffic_, &TrafficPanelWidget::TuneValueChanged, this,
            [this](int value) { core_.Traffic.SetTuneValue(value); });
    connect(traffic_, &TrafficPanelWidget::TuneToClicked, this,
            [this] { core_.Traffic.TuneToClicked(); });
    connect(traffic_, &TrafficPanelWidget::AutoClicked, this,
            [this] { core_.Traffic.AutoClicked(); });

    drPanel_ = new DrPanelWidget(core_.DrCal, &window_);
    window_.AddBelowMonitor(drPanel_);
    connect(drPanel_, &DrPanelWidget::StartClicked, this,
            [this] { core_.DrCal.StartCalibration(); });
    connect(drPanel_, &DrPanelWidget::StepHovered, this,
            [this](DrStep step) { core_.DrCal.StepLabelHovered(step); });
    connect(drPanel_, &DrPanelWidget::StepLeft, this, [this] { core_.DrCal.StepLabelLeft(); });
    connect(drPanel_, &DrPanelWidget::CountDoubleClicked, this,
            [this] { core_.DrCal.CountLabelDoubleClicked(); });

    info_ = new DrInfoWidget(core_.DrCal.Info(), &window_);
    Refresh();
}

SpecialPanelsWiring::~SpecialPanelsWiring() {
    core_.Sounds.SetTarget(nullptr);
}

void SpecialPanelsWiring::Refresh() {
    traffic_->Refresh();
    window_.SetNavigationShown(!core_.Traffic.View().NavigationHidden);
    drPanel_->Refresh();
    info_->Refresh(&window_, window_.MonitorPanelWidth());
}

}  // namespace gnss::ui
