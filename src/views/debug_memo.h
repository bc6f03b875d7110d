#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

#include "base/date_time.h"

namespace gnss {

// The debug memo: diagnostics, each line led by "[hh:nn:ss.zzz]". Keeps the newest lines.
class DebugMemo {
  public:
    static constexpr std::size_t kMaxLines = 1000;

    // Adds "[hh:nn:ss.zzz]" + text, stamped with the given local time.
    void Add(DateTime now, std::string_view text);
    void Clear();

    [[nodiscard]] const std::deque<std::string>& Lines() const { return lines_; }
    // Lines added since the last call, the newest of Lines() (at most all of them); Clear()
    // counts as a reset.
    struct Changes {
        bool Reset = false;
        std::size_t Appended = 0;
    };
    Changes TakeChanges();

  private:
    std::deque<std::string> lines_;
    Changes changes_;
};

}  // namespace gnss
