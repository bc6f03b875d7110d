#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace gnss {

// The last `Capacity` samples of a three-axis quantity (X, Y, Z), as a strip chart shows them:
// samples are appended until the window is full, after which each new sample pushes the oldest
// one out. `Revision` counts every change, so that a chart can tell when to redraw.
template <std::size_t Capacity>
class SampleWindow {
  public:
    static_assert(Capacity > 0);
    static constexpr std::size_t kCapacity = Capacity;
    static constexpr std::size_t kAxes = 3;

    void Add(const std::array<double, kAxes>& sample) {
        if (count_ < Capacity) {
            for (std::size_t axis = 0; axis < kAxes; ++axis) values_[axis][count_] = sample[axis];
            ++count_;
        } else {
            for (std::size_t axis = 0; axis < kAxes; ++axis) {
                auto& series = values_[axis];
                std::move(series.begin() + 1, series.end(), series.begin());
                series[Capacity - 1] = sample[axis];
            }
        }
        ++revision_;
    }

    void Clear() {
        count_ = 0;
        ++revision_;
    }

    [[nodiscard]] std::size_t Count() const { return count_; }
    [[nodiscard]] bool Full() const { return count_ == Capacity; }
    [[nodiscard]] uint64_t Revision() const { return revision_; }
    // Sample `index` (0 = oldest shown) of `axis`; only indexes below Count() are meaningful.
    [[nodiscard]] double At(std::size_t axis, std::size_t index) const {
        return values_[axis][index];
    }

    // The smallest and largest value shown on any axis; {0, 0} when empty.
    [[nodiscard]] std::pair<double, double> Range() const {
        if (count_ == 0) return {0.0, 0.0};
        double low = values_[0][0];
        double high = low;
        for (std::size_t axis = 0; axis < kAxes; ++axis) {
            const auto [mn, mx] =
                std::minmax_element(values_[axis].begin(), values_[axis].begin() + count_);
            low = std::min(low, *mn);
            high = std::max(high, *mx);
        }
        return {low, high};
    }

  private:
    std::array<std::array<double, Capacity>, kAxes> values_{};
    std::size_t count_ = 0;
    uint64_t revision_ = 0;
};

}  // namespace gnss
