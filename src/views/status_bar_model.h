#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "views/view_change_listener.h"

namespace gnss {

// The panels of the status bar, left to right, each with a fixed role.
enum class StatusPanel : uint8_t {
    LinkIcon,     // the link lamp (drawn, no text)
    Message,      // messages of the connection and identification ("Baud Rate :9600")
    Port,         // the port and its state ("Open (ttyUSB0,9600 bps)")
    LinkState,    // what the link carries ("NMEA")
    ReceiveRate,  // " Rx(Bps):1234"
    TestTimer,    // time to first fix
    Elapsed,      // connected time
    Transfer,     // assistance-data transfer counter
    Log,          // log state
    NoData,       // "*" after a second without data
    Family,       // receiver family
    ChipTag,      // chip or mode tag ("MTK", "TD", "RTK", sensor source)
    SpareA,       // cleared at each connect
    SpareB,
    SpareC,
    SpareD,
    Correction,   // correction-data link
    RestartMode,  // restart mode of TechToTop receivers
};

// Bevel of a status panel: lowered is the resting look, raised marks an open link.
enum class PanelBevel : uint8_t { Lowered, Raised };

struct StatusPanelState {
    std::string Text;
    int WidthPx = 0;
    PanelBevel Bevel = PanelBevel::Lowered;
    bool operator==(const StatusPanelState&) const = default;
};

// The link icon: a lamp that is grey while no port is open, and bright or dark green while the
// port is open, following the data lamp.
enum class LinkIcon : uint8_t { Disconnected, ConnectedLampOn, ConnectedLampOff };

// The status bar as data: 18 panels of fixed widths and fixed roles, and the link icon drawn
// into the first. Every writer goes through SetText; the window only paints.
class StatusBarModel {
  public:
    static constexpr int kPanelCount = 18;
    // Panel widths in pixels, in the order of StatusPanel.
    static constexpr std::array<int, kPanelCount> kPanelWidthsPx = {
        20, 132, 140, 54, 90, 110, 55, 52, 60, 18, 56, 75, 20, 20, 20, 20, 92, 50};

    static constexpr std::string_view kPortStartText = "COM Port  (disconnect)";

    StatusBarModel();

    // Writes one panel. No change, no notification.
    void SetText(StatusPanel panel, std::string_view text);
    void SetBevel(StatusPanel panel, PanelBevel bevel);
    // Empties the panels first..last (inclusive).
    void ClearPanels(StatusPanel first, StatusPanel last);

    [[nodiscard]] const StatusPanelState& Panel(StatusPanel panel) const {
        return panels_[Index(panel)];
    }
    [[nodiscard]] const std::string& Text(StatusPanel panel) const { return Panel(panel).Text; }
    // Every panel in order, for painting.
    [[nodiscard]] std::span<const StatusPanelState> Panels() const { return panels_; }
    // Sum of the panel widths: the width the bar needs to show every panel.
    [[nodiscard]] static constexpr int TotalWidthPx() {
        int sum = 0;
        for (int width : kPanelWidthsPx) sum += width;
        return sum;
    }

    // The link icon from `PortOpen` and the data lamp (`DataIndicator`).
    void SetLinkState(bool portOpen, bool dataIndicator);
    [[nodiscard]] LinkIcon Icon() const { return icon_; }

    // Counts every change; a view repaints when it differs from the one it painted.
    [[nodiscard]] uint64_t Revision() const { return revision_; }
    // Told after every change (once per change).
    void SetChangeListener(ViewChangeListener* listener) { listener_ = listener; }

  private:
    [[nodiscard]] static constexpr std::size_t Index(StatusPanel panel) {
        return static_cast<std::size_t>(panel);
    }
    void Changed();

    std::array<StatusPanelState, kPanelCount> panels_;
    LinkIcon icon_ = LinkIcon::Disconnected;
    uint64_t revision_ = 0;
    ViewChangeListener* listener_ = nullptr;
};

}  // namespace gnss
