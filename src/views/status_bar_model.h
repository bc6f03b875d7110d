#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace gnss {

// Bevel of a status panel: lowered is the resting look, raised marks an open link.
enum class PanelBevel : uint8_t { Lowered, Raised };

struct StatusPanel {
    std::string Text;
    int WidthPx = 0;
    PanelBevel Bevel = PanelBevel::Lowered;
};

// The link icon of panel 0: a lamp that is grey while no port is open, and bright or dark green
// while the port is open, following the data lamp.
enum class LinkIcon : uint8_t { Disconnected, ConnectedLampOn, ConnectedLampOff };

// The status bar `StatusBar1` as data: 18 panels of fixed widths and fixed roles, and the link
// icon drawn into panel 0. Every writer goes through SetStatusPanel; the window only paints.
class StatusBarModel {
  public:
    static constexpr int kPanelCount = 18;
    // Panel widths in pixels, panel 0 first.
    static constexpr std::array<int, kPanelCount> kPanelWidthsPx = {
        20, 132, 140, 54, 90, 110, 55, 52, 60, 18, 56, 75, 20, 20, 20, 20, 92, 50};

    // Panel indexes by role.
    static constexpr int kLinkIconPanel = 0;
    static constexpr int kMessagePanel = 1;
    static constexpr int kPortPanel = 2;
    static constexpr int kLinkStatePanel = 3;
    static constexpr int kRxRatePanel = 4;
    static constexpr int kTestTimerPanel = 5;
    static constexpr int kElapsedPanel = 6;
    static constexpr int kTransferPanel = 7;
    static constexpr int kLogPanel = 8;
    static constexpr int kNoDataPanel = 9;
    static constexpr int kFamilyPanel = 10;
    static constexpr int kChipTagPanel = 11;
    static constexpr int kCorrectionPanel = 16;
    static constexpr int kRestartModePanel = 17;

    static constexpr std::string_view kPortStartText = "COM Port  (disconnect)";

    StatusBarModel();

    // Writes one panel; an index outside 0..17 is ignored. No change, no notification.
    void SetStatusPanel(int index, std::string_view text);
    void SetPanelBevel(int index, PanelBevel bevel);
    // Empties the panels first..last (inclusive, clipped to the bar).
    void ClearPanels(int first, int last);

    [[nodiscard]] const StatusPanel& Panel(int index) const;
    [[nodiscard]] const std::string& PanelText(int index) const { return Panel(index).Text; }
    [[nodiscard]] std::span<const StatusPanel> Panels() const { return panels_; }
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
    // Called after every change (once per change).
    void SetChangedCallback(std::function<void()> callback) { changed_ = std::move(callback); }

  private:
    void Changed();

    std::array<StatusPanel, kPanelCount> panels_;
    LinkIcon icon_ = LinkIcon::Disconnected;
    uint64_t revision_ = 0;
    std::function<void()> changed_;
};

}  // namespace gnss
