#include "sim/capture_replayer.h"

#include <algorithm>

namespace gnss::sim {

namespace {
constexpr uint32_t kBaudTickMs = 10;

// The time field of a sentence line, or empty.
std::string_view TimeOf(std::string_view line) {
    const auto dollar = line.find('$');
    if (dollar == std::string_view::npos || line.size() < dollar + 7) return {};
    const std::string_view kind = line.substr(dollar + 3, 3);
    int field = 0;
    if (kind == "GGA" || kind == "RMC" || kind == "GNS" || kind == "ZDA")
        field = 1;
    else if (kind == "GLL")
        field = 5;
    else
        return {};
    std::size_t pos = dollar;
    for (int f = 0; f < field; ++f) {
        pos = line.find(',', pos);
        if (pos == std::string_view::npos) return {};
        ++pos;
    }
    const auto end = line.find_first_of(",*\r\n", pos);
    return line.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
}
}  // namespace

std::vector<std::size_t> FindEpochStarts(std::string_view capture) {
    std::vector<std::size_t> starts;
    std::string_view current;
    std::size_t pos = 0;
    while (pos < capture.size()) {
        auto end = capture.find('\n', pos);
        end = end == std::string_view::npos ? capture.size() : end + 1;
        const std::string_view time = TimeOf(capture.substr(pos, end - pos));
        if (!time.empty() && time != current) {
            starts.push_back(starts.empty() ? 0 : pos);
            current = time;
        }
        pos = end;
    }
    return starts;
}

CaptureReplayer::CaptureReplayer(Scheduler& scheduler, std::string capture, const Options& options)
    : capture_(std::move(capture)),
      options_(options),
      line_(scheduler, 0),
      timer_(scheduler.CreateTimer()) {
    line_.SetReceiverBaud(options_.Baud);
    line_.SetPacing(false);  // the replay paces itself
    if (options_.Realtime) epochStarts_ = FindEpochStarts(capture_);
    timer_->SetIntervalMs(options_.Realtime && !epochStarts_.empty() ? 1000 : kBaudTickMs);
    timer_->OnTimeout = [this] { Tick(); };
}

CaptureReplayer::~CaptureReplayer() = default;

void CaptureReplayer::SetOutput(SimSourceOutput* output) {
    output_ = output;
    line_.SetOutput(output);
}

void CaptureReplayer::Start() {
    if (options_.Realtime && !epochStarts_.empty()) {
        nextEpoch_ = 1;
        // The first epoch (and anything before it) goes out at once.
        Emit((epochStarts_.size() > 1 ? epochStarts_[1] : capture_.size()) - position_);
    }
    if (!finished_) timer_->Start();
}

void CaptureReplayer::Tick() {
    if (options_.Realtime && !epochStarts_.empty()) {
        ++nextEpoch_;
        const std::size_t end =
            nextEpoch_ < epochStarts_.size() ? epochStarts_[nextEpoch_] : capture_.size();
        Emit(end - position_);
        return;
    }
    bitBudget_ += static_cast<uint64_t>(options_.Baud) * kBaudTickMs / 1000;
    const std::size_t count = std::min<std::size_t>(capture_.size() - position_, bitBudget_ / 10);
    bitBudget_ -= count * 10;
    Emit(count);
}

void CaptureReplayer::Emit(std::size_t count) {
    if (count > 0) {
        line_.Send(std::string_view(capture_).substr(position_, count));
        position_ += count;
    }
    if (position_ >= capture_.size() && !finished_) {
        finished_ = true;
        timer_->Stop();
        if (output_ != nullptr) output_->ReplayFinished();
    }
}

}  // namespace gnss::sim
