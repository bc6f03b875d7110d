#pragma once

#include <string_view>

#include "control/identification_listener.h"
#include "control/receiver_identification.h"
#include "link/connection_control.h"
#include "link/receive_dispatch.h"
#include "link/receive_listeners.h"
#include "link/receiver_port.h"
#include "views/nmea_monitor.h"
#include "views/status_bar_model.h"

namespace gnss {

// Writes the status bar from what the link, the connection, identification, the recorder and
// the monitor's pause report: each panel shows its one role (StatusPanel). The texts a feature
// reports are shown as they are; the presenter adds only the link-state names and the messages
// of a recognised link and a traffic-message receiver.
class StatusBarPresenter final : public LinkListener,
                                 public ConnectionListener,
                                 public IdentificationListener {
  public:
    StatusBarPresenter(StatusBarModel& bar, const ReceiveDispatcher& dispatcher,
                       const ConnectionControl& connection,
                       const ReceiverIdentification& identification, const ReceiverPort& port,
                       const SharedState& shared);

    // At start: the link state of a closed port.
    void ShowClosedLink();
    // The recorder's state ("Start Log", ...).
    void ShowLogState(std::string_view text);
    // The port panel while the monitor is paused or running again.
    void ShowPause(const MonitorPauseView& pause);
    // A message of the receiver controls ("Baud Rate :115200").
    void ShowMessage(std::string_view text);
    // Panel 17: the fix-time debug switch ("TD(H)", "TD(C)", "TD(F)" or empty).
    void ShowTtffDebug(std::string_view text);
    // The correction link's seconds and bytes of the last second ("%d/%d"), in the same panel.
    void ShowCorrectionCounts(std::string_view text);
    // The test progress panel (the fix time, the forward-mode escape).
    void ShowTestProgress(std::string_view text);
    // The link lamp from the port and the data lamp.
    void ShowLinkLamp();

    // LinkListener
    void OnLinkRecognised(LinkState state) override;
    void OnDataLampChanged(bool lit) override;
    // ConnectionListener
    void OnConnectionChanging() override;
    void OnDisconnected() override;
    void OnLinkSecond() override { ShowLinkLamp(); }
    void OnConnectionStatusChanged(ConnectionStatusItem item) override;
    // IdentificationListener
    void OnReceiverIdentified() override;
    void OnIdentificationChanged() override;

  private:
    StatusBarModel& bar_;
    const ReceiveDispatcher& dispatcher_;
    const ConnectionControl& connection_;
    const ReceiverIdentification& identification_;
    const ReceiverPort& port_;
    const SharedState& shared_;
};

}  // namespace gnss
