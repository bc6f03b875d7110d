#include "views/debug_memo.h"

#include <algorithm>

#include "nmea/time_text.h"

namespace gnss {

void DebugMemo::Add(DateTime now, std::string_view text) {
    std::string line = TimeStampOf(now);
    line.append(text);
    lines_.push_back(std::move(line));
    // A view keeps the same number of lines and drops its oldest one the same way.
    if (lines_.size() > kMaxLines) lines_.pop_front();
    ++changes_.Appended;
}

void DebugMemo::Clear() {
    lines_.clear();
    changes_ = Changes{.Reset = true};
}

DebugMemo::Changes DebugMemo::TakeChanges() {
    Changes taken = changes_;
    taken.Appended = std::min(taken.Appended, lines_.size());
    changes_ = {};
    return taken;
}

}  // namespace gnss
