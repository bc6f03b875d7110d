#pragma once

#include <QObject>

#include "app/app_core.h"
#include "link/port_enumerator.h"
#include "platform/qt_port_enumerator.h"

namespace gnss::ui {

class CampaignWindow;
class HdAssistPage;
class SgeeWindow;
class CommandPanelWidget;
class CorrectionsWiring;
class DisplayWiring;
class EpoWindow;
class MainWindow;
class SensorWindowsWiring;
class SpecialPanelsWiring;

// Connects the main window's user events to the application core and the core's change
// notifications to the window's repaint (coalesced to one repaint per 100 ms), which also feeds
// the displays; and reads the system's port list (`ports`) whenever the device folder changes,
// and every `portPollMs` when that folder cannot be watched, so that the core sees ports plugged
// in and removed.
class WindowWiring final : public QObject, private AppCoreListener {
  public:
    static constexpr int kPortPollMs = 1000;

    // How the port list is followed: the device folder watched (the real system), or only
    // polled every portPollMs (a port list that is not the system's).
    enum class PortListWatch { DeviceFolder, PollOnly };

    WindowWiring(MainWindow& window, AppCore& core, const PortEnumerator& ports,
                 int portPollMs = kPortPollMs, PortListWatch watch = PortListWatch::DeviceFolder);
    ~WindowWiring() override;

    [[nodiscard]] SensorWindowsWiring* SensorWindows() const { return sensorWindows_; }

  private:
    // AppCoreListener
    void OnViewChanged() override { RequestRepaint(); }
    void OnBringToFront() override;
    void OnShowPortEvents() override;

    void RequestRepaint();
    void WireReceiverControls();
    void AskAccessWord();
    void ShowCampaignWindow();
    void WireAssistance();
    void RefreshEpoWindow();

    MainWindow& window_;
    AppCore& core_;
    DisplayWiring* displays_ = nullptr;
    CommandPanelWidget* commandPanel_ = nullptr;
    CorrectionsWiring* corrections_ = nullptr;
    SpecialPanelsWiring* specialPanels_ = nullptr;
    CampaignWindow* campaignWindow_ = nullptr;  // made when first opened
    SensorWindowsWiring* sensorWindows_ = nullptr;
    SgeeWindow* sgeeWindow_ = nullptr;
    HdAssistPage* hdPage_ = nullptr;
    EpoWindow* epoWindow_ = nullptr;  // made when the model first shows it
    PortWatcher portWatcher_;
    bool repaintPending_ = false;
};

}  // namespace gnss::ui
