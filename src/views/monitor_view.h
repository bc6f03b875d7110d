#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <string_view>

namespace gnss {

// Colours as 0xRRGGBB.
using Rgb = uint32_t;

// How the monitor's lines changed since the view last looked: lines removed from the top, then
// lines appended at the bottom; or, when Reset, everything is to be read again.
struct MonitorViewChanges {
    bool Reset = false;
    std::size_t RemovedFromTop = 0;
    std::size_t Appended = 0;
    [[nodiscard]] bool Any() const { return Reset || RemovedFromTop != 0 || Appended != 0; }
};

// What the monitor list reads: its lines, their colours, the selected line and the
// changes since the last look. The list paints only what this says.
class MonitorView {
  public:
    static constexpr Rgb kListBackground = 0x282828;  // the list's own background
    static constexpr Rgb kLineBackground = 0x000000;  // behind every line
    static constexpr Rgb kPlainText = 0xFFFFFF;

    virtual ~MonitorView() = default;
    [[nodiscard]] virtual std::size_t LineCount() const = 0;
    [[nodiscard]] virtual const std::string& Line(std::size_t index) const = 0;
    // Text colour of a line: plain white until the receiver is identified, then by kind.
    [[nodiscard]] virtual Rgb LineColor(std::size_t index) const = 0;
    // True once lines are drawn in their kinds' colours; a change repaints every line.
    [[nodiscard]] virtual bool Coloured() const = 0;
    // The selected (last added) line, -1 for none.
    [[nodiscard]] virtual std::ptrdiff_t SelectedLine() const = 0;
    virtual MonitorViewChanges TakeChanges() = 0;
};

// A plain list of monitor lines with the monitor's line cap: a stand-in for the full monitor
// where only lines and colours matter (previews, tests of the list view).
class MonitorLineBuffer final : public MonitorView {
  public:
    static constexpr std::size_t kCapAbove = 2400;  // more lines than this are cut back ...
    static constexpr std::size_t kCapKeep = 1919;   // ... to the newest this many

    // Colour of a line once colouring is on; without it every line is plain.
    using LineColorOf = Rgb (*)(std::string_view line);
    void SetColorOf(LineColorOf colorOf) { colorOf_ = colorOf; }
    void SetColoured(bool coloured);

    // Appends the lines in order, selects the last and applies the line cap once at the end.
    void AppendBatch(std::span<const std::string> lines);
    void Append(std::string_view line);
    void Clear();

    [[nodiscard]] std::size_t LineCount() const override { return lines_.size(); }
    [[nodiscard]] const std::string& Line(std::size_t index) const override {
        return lines_[index];
    }
    [[nodiscard]] Rgb LineColor(std::size_t index) const override;
    [[nodiscard]] bool Coloured() const override { return coloured_; }
    [[nodiscard]] std::ptrdiff_t SelectedLine() const override { return selected_; }
    MonitorViewChanges TakeChanges() override;

  private:
    void Cap();

    std::deque<std::string> lines_;
    std::ptrdiff_t selected_ = -1;
    bool coloured_ = false;
    LineColorOf colorOf_ = nullptr;
    MonitorViewChanges changes_;
};

}  // namespace gnss
