#pragma once

#include "views/monitor_view.h"
#include "views/nmea_monitor.h"

namespace gnss {

// The NMEA monitor as the monitor list reads it.
class NmeaMonitorView final : public MonitorView {
  public:
    explicit NmeaMonitorView(NmeaMonitor& monitor) : monitor_(monitor) {}

    [[nodiscard]] std::size_t LineCount() const override { return monitor_.LineCount(); }
    [[nodiscard]] const std::string& Line(std::size_t index) const override {
        return monitor_.Line(index);
    }
    [[nodiscard]] Rgb LineColor(std::size_t index) const override {
        return monitor_.LineColor(index);
    }
    [[nodiscard]] bool Coloured() const override { return monitor_.Coloured(); }
    [[nodiscard]] std::ptrdiff_t SelectedLine() const override { return monitor_.SelectedLine(); }
    MonitorViewChanges TakeChanges() override { return monitor_.TakeChanges(); }

  private:
    NmeaMonitor& monitor_;
};

}  // namespace gnss
