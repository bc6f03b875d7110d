#include "views/monitor_view.h"

#include <algorithm>

namespace gnss {

void MonitorLineBuffer::SetColoured(bool coloured) {
    coloured_ = coloured;
}

void MonitorLineBuffer::AppendBatch(std::span<const std::string> lines) {
    for (const std::string& line : lines) lines_.push_back(line);
    if (!changes_.Reset) changes_.Appended += lines.size();
    if (!lines_.empty()) selected_ = static_cast<std::ptrdiff_t>(lines_.size()) - 1;
    Cap();
}

void MonitorLineBuffer::Append(std::string_view line) {
    lines_.emplace_back(line);
    if (!changes_.Reset) ++changes_.Appended;
    selected_ = static_cast<std::ptrdiff_t>(lines_.size()) - 1;
    Cap();
}

void MonitorLineBuffer::Clear() {
    lines_.clear();
    selected_ = -1;
    changes_ = MonitorViewChanges{.Reset = true};
}

Rgb MonitorLineBuffer::LineColor(std::size_t index) const {
    if (!coloured_ || !colorOf_ || index >= lines_.size()) return kPlainText;
    return colorOf_(lines_[index]);
}

MonitorViewChanges MonitorLineBuffer::TakeChanges() {
    MonitorViewChanges taken = changes_;
    changes_ = {};
    return taken;
}

void MonitorLineBuffer::Cap() {
    if (lines_.size() <= kCapAbove) return;
    const std::size_t remove = lines_.size() - kCapKeep;
    lines_.erase(lines_.begin(), lines_.begin() + static_cast<std::ptrdiff_t>(remove));
    selected_ = static_cast<std::ptrdiff_t>(lines_.size()) - 1;
    if (changes_.Reset) return;
    // The view knows the lines before the ones appended since its last look; the cut takes
    // those first, then appended lines it has never seen.
    const std::size_t known = lines_.size() + remove - changes_.Appended;
    const std::size_t removedKnown = std::min(remove, known);
    changes_.RemovedFromTop += removedKnown;
    changes_.Appended -= remove - removedKnown;
}

}  // namespace gnss
