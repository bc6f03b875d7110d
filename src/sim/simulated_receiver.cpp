#include "sim/simulated_receiver.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <stdexcept>

#include "base/date_time.h"
#include "nmea/nmea_checksum.h"
#include "sim/sim_bytes.h"

namespace gnss::sim {

namespace {

constexpr std::size_t kMaxInput = 8192;
constexpr std::size_t kMaxTextLine = 1024;
constexpr std::size_t kMaxFramePayload = 2048;
constexpr double kEarthRadiusM = 6371000.0;

// MTK commands a receiver of that family takes (answered "3"); any other id is answered "1".
constexpr std::string_view kMtkKnownIds[] = {"000", "220", "225", "251", "285", "286", "299",
                                             "300", "301", "313", "314", "319", "330", "351",
                                             "352", "353", "386", "397", "869", "886"};

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto comma = text.find(',', start);
        std::string item = text.substr(start, comma - start);
        if (!item.empty()) out.push_back(item);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return out;
}

bool PlausibleBaud(uint64_t baud) {
    return baud >= 300 && baud <= 4000000;
}

uint32_t LittleEndian32(std::string_view bytes, std::size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
    return v;
}

std::string LittleEndian32Bytes(uint32_t v) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return out;
}

}  // namespace

SimulatedReceiver::SimulatedReceiver(Clock& clock, Scheduler& scheduler, const SimConfig& config)
    : clock_(clock),
      scheduler_(scheduler),
      config_(config),
      profile_(FindProfile(config.Family, config.Variant)),
      line_(scheduler, config.Seed),
      rng_(config.Seed * 0x2545F4914F6CDD1Dull + 3),
      latDeg_(config.LatDeg),
      lonDeg_(config.LonDeg),
      courseDeg_(config.CourseDeg),
      assist_(profile_ != nullptr ? profile_->Family : ReceiverFamily::Unknown,
              config.Faults.Assist) {
    if (profile_ == nullptr) {
        throw std::invalid_argument("unknown receiver family '" + config.Family + "' variant '" +
                                    config.Variant + "'");
    }
    for (const std::string& name :
         SplitList(config.Gnss.empty() ? profile_->DefaultGnss : config.Gnss)) {
        Constellation system{};
        if (ConstellationFromName(name, system) &&
            std::find(style_.Systems.begin(), style_.Systems.end(), system) == style_.Systems.end())
            style_.Systems.push_back(system);
    }
    if (style_.Systems.empty()) style_.Systems.push_back(Constellation::Gps);
    if (config.Rtk) rtk_ = std::make_unique<RtkCorrectionInput>();
    style_.Sentences =
        SplitList(config.Sentences.empty() ? profile_->DefaultSentences : config.Sentences);
    style_.Nmea41 = config.Nmea41 < 0 ? profile_->DefaultNmea41 : config.Nmea41 == 1;
    style_.Signals = config.Signals;
    style_.BeiDouTalker = config.BeiDouTalker;
    style_.TimeDecimals = profile_->TimeDecimals;
    style_.MinuteDecimals = profile_->MinuteDecimals;
    sky_ = std::make_unique<SkyModel>(config.Seed, style_.Systems);
    sensors_ = std::make_unique<SensorSentences>(*profile_);
    if (profile_->CommandDialect == Dialect::Mtk) {
        epo_ = std::make_unique<MtkEpoResponder>(
            config.Faults,
            MtkEpoResponder::Hooks{
                [this](std::string_view bytes) { SendBytes(bytes); },
                [this](uint32_t baud) { ChangeBaudAfterDrain(baud); }, [this] { Vanish(); },
                [this](const std::string& text) { Note(text); },
                [this](uint32_t ms, std::function<void()> step) { Later(ms, std::move(step)); },
                [this] { return line_.ReceiverBaud(); },
                [this](std::string_view bytes) { line_.SendNow(bytes); }});
    }
    extra_ = MakeReceiverExtra(*profile_, config_);
    sensors_->FollowMotion(extra_.get());

    line_.SetReceiverBaud(config.Baud != 0 ? config.Baud : profile_->DefaultBaud);
    line_.SetPacing(config.Pace);
    line_.SetFaults(LineFaults{config.Faults.BitErrorRate, config.Faults.DropRate});
    hdPortConfig_ = std::string("\x00\x07\x03\x00", 4) + LittleEndian32Bytes(line_.ReceiverBaud());

    epochTimer_ = scheduler_.CreateTimer();
    epochTimer_->SetIntervalMs(static_cast<uint32_t>(1000 / std::clamp(config.RateHz, 1, 10)));
    epochTimer_->OnTimeout = [this] { Epoch(); };
    garbageTimer_ = scheduler_.CreateTimer();
    garbageTimer_->OnTimeout = [this] {
        std::string junk;
        for (int i = 0; i < config_.Faults.GarbageBytes; ++i)
            junk.push_back(static_cast<char>(rng_.Next() & 0xFF));
        SendBytes(junk);
    };
    pendingTimer_ = scheduler_.CreateTimer();
    pendingTimer_->SetSingleShot(true);
    pendingTimer_->OnTimeout = [this] { RunPending(); };
}

SimulatedReceiver::~SimulatedReceiver() = default;

void SimulatedReceiver::SetOutput(SimSourceOutput* output) {
    output_ = output;
    // A vanished device is cut off from the line for good.
    line_.SetOutput(vanished_ ? nullptr : output);
}

uint64_t SimulatedReceiver::ElapsedMs() const {
    const uint32_t tick = clock_.TickMs();
    elapsedMs_ += static_cast<uint32_t>(tick - lastTick_);
    lastTick_ = tick;
    return elapsedMs_;
}

void SimulatedReceiver::Start() {
    if (started_) return;
    started_ = true;
    lastTick_ = clock_.TickMs();
    elapsedMs_ = 0;
    restartAtMs_ = 0;
    fixDueMs_ = config_.PowerOnMs;
    sirfBinary_ = config_.SirfBinary && profile_->SirfBinaryCapable;
    if (!sirfBinary_) Later(100, [this] { SendBoot(); });
    // Epochs fall on whole multiples of the interval of UTC.
    const double dayMs = clock_.NowUtc().Days * 86400000.0;
    const auto msIntoSecond = static_cast<uint32_t>(std::fmod(dayMs, 1000.0));
    Later((1000 - msIntoSecond) % 1000, [this] {
        epochTimer_->Start();
        Epoch();
    });
    if (config_.Faults.GarbageBytes > 0) {
        garbageTimer_->SetIntervalMs(static_cast<uint32_t>(config_.Faults.GarbageEverySeconds) *
                                     1000);
        garbageTimer_->Start();
    }
}

bool SimulatedReceiver::HasFixAt(uint64_t nowMs) const {
    if (config_.Fix == FixKind::None || sirfBinary_) return false;
    return nowMs >= fixDueMs_ || nowMs < keepFixUntilMs_;
}

bool SimulatedReceiver::HasFix() const {
    return HasFixAt(ElapsedMs());
}

// --- timing helpers ---------------------------------------------------------------------------

void SimulatedReceiver::Later(uint32_t ms, Continuation step) {
    pending_.push_back(Pending{ElapsedMs() + ms, ++pendingSequence_, std::move(step)});
    RearmPending();
}

void SimulatedReceiver::RearmPending() {
    pendingTimer_->Stop();
    if (pending_.empty()) return;
    const auto next = std::min_element(pending_.begin(), pending_.end(), [](auto& a, auto& b) {
        return a.DueMs < b.DueMs || (a.DueMs == b.DueMs && a.Sequence < b.Sequence);
    });
    const uint64_t now = ElapsedMs();
    pendingTimer_->SetIntervalMs(static_cast<uint32_t>(next->DueMs > now ? next->DueMs - now : 0));
    pendingTimer_->Start();
}

void SimulatedReceiver::RunPending() {
    const uint64_t now = ElapsedMs();
    std::vector<Pending> due;
    for (auto it = pending_.begin(); it != pending_.end();) {
        if (it->DueMs <= now) {
            due.push_back(std::move(*it));
            it = pending_.erase(it);
        } else {
            ++it;
        }
    }
    std::sort(due.begin(), due.end(), [](auto& a, auto& b) {
        return a.DueMs < b.DueMs || (a.DueMs == b.DueMs && a.Sequence < b.Sequence);
    });
    for (auto& p : due) {
        if (!vanished_) p.Step();
    }
    RearmPending();
}

// --- output --------------------------------------------------------------------------------------

void SimulatedReceiver::SendBytes(std::string_view bytes, bool droppable) {
    if (vanished_ || bytes.empty()) return;
    line_.Send(bytes, droppable);
}

void SimulatedReceiver::SendLines(const std::vector<std::string>& sentences, bool droppable) {
    std::string burst;
    for (const std::string& s : sentences) {
        burst += s;
        const bool noEnd =
            config_.Faults.NoLineEndRate > 0.0 && rng_.NextUnit() < config_.Faults.NoLineEndRate;
        if (!noEnd) burst += "\r\n";
    }
    SendBytes(burst, droppable);
}

void SimulatedReceiver::SendAck(const std::vector<std::string>& bytes, std::size_t truthNumber) {
    if (bytes.empty()) return;
    Later(config_.AckDelayMs + config_.Faults.SlowAckMs, [this, bytes, truthNumber] {
        std::string all;
        for (const auto& b : bytes) all += b;
        SendBytes(all);
        if (truthNumber == 0) return;
        line_.AfterDrain([this, truthNumber] {
            if (truthNumber <= truths_.size())
                truths_[truthNumber - 1].AckDeliveredMs = ElapsedMs();
        });
    });
}

void SimulatedReceiver::SendBoot() {
    if (sirfBinary_) return;
    SendLines(profile_->BootLines);
    if (truths_.empty() || truths_.back().BootDeliveredMs != 0) return;
    const std::size_t number = truths_.size();
    line_.AfterDrain([this, number] {
        if (number <= truths_.size() && truths_[number - 1].BootDeliveredMs == 0) {
            truths_[number - 1].BootDeliveredMs = ElapsedMs();
        }
    });
}

void SimulatedReceiver::ScheduleBoot() {
    const uint64_t generation = ++bootGeneration_;
    const uint32_t delay =
        std::max(config_.BootDelayMs, config_.AckDelayMs + config_.Faults.SlowAckMs + 10);
    Later(delay, [this, generation] {
        if (generation != bootGeneration_) return;  // a later restart boots instead
        if (bootBaud_ != 0) {
            line_.SetReceiverBaud(bootBaud_);
            Note("baud " + std::to_string(bootBaud_));
            bootBaud_ = 0;
        }
        SendBoot();
    });
}

void SimulatedReceiver::ChangeBaudAfterDrain(uint32_t baud) {
    // The acknowledgement still goes out at the old rate.
    Later(config_.AckDelayMs + config_.Faults.SlowAckMs + 1, [this, baud] {
        line_.AfterDrain([this, baud] {
            line_.SetReceiverBaud(baud);
            hdPortConfig_.replace(4, 4, LittleEndian32Bytes(baud));
            Note("baud " + std::to_string(baud));
        });
    });
}

void SimulatedReceiver::Note(const std::string& text) {
    if (output_ != nullptr) output_->Note(text);
}

void SimulatedReceiver::Vanish() {
    if (vanished_) return;
    vanished_ = true;
    epochTimer_->Stop();
    garbageTimer_->Stop();
    pendingTimer_->Stop();
    pending_.clear();
    line_.Clear();
    line_.SetOutput(nullptr);
    Note("vanished");
    if (output_ != nullptr) output_->DeviceVanished();
}

void SimulatedReceiver::Epoch() {
    if (vanished_) return;
    if (epo_ != nullptr && epo_->InBinaryMode()) return;  // no NMEA while in MTK binary
    const uint64_t now = ElapsedMs();
    const auto& faults = config_.Faults;
    if (faults.VanishAfterSeconds >= 0 &&
        now >= static_cast<uint64_t>(faults.VanishAfterSeconds) * 1000) {
        Vanish();
        return;
    }
    const uint32_t intervalMs = epochTimer_->IntervalMs();
    ++epochCount_;

    // The antenna moves whether or not the receiver reports it.
    const double dt = intervalMs / 1000.0;
    VehicleMotion motion{config_.SpeedKmh, config_.TurnDegPerS};
    if (extra_ != nullptr) (void)extra_->Motion(now, motion);
    const double speedMs = motion.SpeedKmh / 3.6;
    if (speedMs > 0.0) {
        const double c = courseDeg_ * std::numbers::pi / 180.0;
        const double d = speedMs * dt;
        latDeg_ += d * std::cos(c) / kEarthRadiusM * 180.0 / std::numbers::pi;
        latDeg_ = std::clamp(latDeg_, -89.9, 89.9);
        lonDeg_ += d * std::sin(c) /
                   (kEarthRadiusM * std::cos(latDeg_ * std::numbers::pi / 180.0)) * 180.0 /
                   std::numbers::pi;
        if (lonDeg_ > 180.0) lonDeg_ -= 360.0;
        if (lonDeg_ < -180.0) lonDeg_ += 360.0;
        courseDeg_ = std::fmod(courseDeg_ + motion.TurnDegPerS * dt + 360.0, 360.0);
    }

    // UTC of this epoch, on a whole multiple of the interval.
    const auto utcMs = static_cast<int64_t>(std::llround(clock_.NowUtc().Days * 86400000.0));
    const int64_t epochMs = (utcMs + intervalMs / 2) / intervalMs * intervalMs;
    const bool wholeSecond = epochMs % 1000 == 0;

    if (sirfBinary_) {
        if (wholeSecond) {
            // CPU throughput (message 9): segment statistics and the last time of the epoch.
            std::string payload = HexBytes("09 00 3C 00 12 00 0A");
            payload.push_back(static_cast<char>((epochMs >> 8) & 0xFF));
            payload.push_back(static_cast<char>(epochMs & 0xFF));
            SendBytes(SirfFrame(payload));
        }
        return;
    }
    if (faults.SilenceAfterSeconds >= 0 &&
        now >= static_cast<uint64_t>(faults.SilenceAfterSeconds) * 1000 &&
        now < static_cast<uint64_t>(faults.SilenceAfterSeconds + faults.SilenceSeconds) * 1000) {
        return;
    }

    EpochReport report;
    const DateTime epochTime{static_cast<double>(epochMs) / 86400000.0};
    report.Utc = DecodeDateTime(epochTime);
    report.HasFix = HasFixAt(now);
    report.Kind = rtk_ ? rtk_->KindAt(now) : config_.Fix;
    report.LatDeg = latDeg_;
    report.LonDeg = lonDeg_;
    report.AltM = config_.AltM;
    report.GeoidSepM = config_.GeoidSepM;
    report.SpeedKnots = motion.SpeedKmh / 1.852;
    report.CourseDeg = courseDeg_;
    double acquired = 1.0;
    if (!report.HasFix && config_.Fix != FixKind::None) {
        const double span = static_cast<double>(std::max<uint64_t>(fixDueMs_ - restartAtMs_, 1));
        acquired = std::clamp(static_cast<double>(now - restartAtMs_) / span * 1.2, 0.0, 1.0);
        if (now < restartAtMs_ + 1000) acquired = 0.0;  // nothing heard in the first second
    }
    const double gpsSeconds = (epochTime.Days - GpsTimeOrigin().Days) * 86400.0;
    report.Sats = sky_->At(gpsSeconds, acquired, report.HasFix);
    report.Dop = ComputeDops(report.Sats);

    const int64_t second = epochMs / 1000;
    const bool withGsv = wholeSecond && second % std::max(profile_->GsvEverySeconds, 1) == 0;
    std::vector<std::string> sentences = BuildEpochSentences(report, style_, withGsv);
    if (wholeSecond && profile_->PeriodicSeconds > 0 && second % profile_->PeriodicSeconds == 0) {
        for (const auto& line : profile_->PeriodicLines) sentences.push_back(line);
    }
    sensors_->AppendEpoch(now, intervalMs, sentences);
    if (wholeSecond && extra_ != nullptr) extra_->OnSecond(now, sentences);
    DropSwitchedOff(sentences);
    if (faults.LongLineRate > 0.0 && rng_.NextUnit() < faults.LongLineRate) {
        std::string longLine = "$PSIMDBG,";
        const int length = 120 + static_cast<int>(rng_.Next() % 120);
        static constexpr char kHex[] = "0123456789ABCDEF";
        for (int i = 0; i < length; ++i) longLine.push_back(kHex[rng_.Next() % 16]);
        sentences.push_back(WithChecksum(longLine));
    }
    if (!truths_.empty() && truths_.back().FixDeliveredMs == 0 && report.HasFix &&
        now >= fixDueMs_) {
        SendFirstFix(sentences);
        return;
    }
    SendLines(sentences, true);
}

// The first epoch of a new fix: the sentences up to the first one that states the fix (an RMC
// or GLL status, a GSA mode) go out first, and the moment that sentence's last byte leaves the
// line is the ground truth of the fix.
void SimulatedReceiver::SendFirstFix(const std::vector<std::string>& sentences) {
    std::size_t split = 0;
    while (split < sentences.size() && sentences[split].find("RMC,") == std::string::npos &&
           sentences[split].find("GSA,") == std::string::npos &&
           sentences[split].find("GLL,") == std::string::npos) {
        ++split;
    }
    if (split == sentences.size()) {
        SendLines(sentences, true);
        return;
    }
    SendLines({sentences.begin(), sentences.begin() + static_cast<std::ptrdiff_t>(split) + 1});
    const std::size_t number = truths_.size();
    line_.AfterDrain([this, number] {
        RestartTruth& truth = truths_[number - 1];
        if (truth.FixDeliveredMs != 0) return;
        truth.FixDeliveredMs = ElapsedMs();
        if (truthSink_) truthSink_(truth);
    });
    SendLines({sentences.begin() + static_cast<std::ptrdiff_t>(split) + 1, sentences.end()}, true);
}

// --- restarts --------------------------------------------------------------------------------

void SimulatedReceiver::Restart(RestartKind kind) {
    const uint64_t now = ElapsedMs();
    // The steps of a factory sequence that follow the first do not shorten it.
    if (restartCount_ > 0 && lastKind_ == RestartKind::Factory && kind != RestartKind::Factory &&
        now - restartAtMs_ < 3000) {
        ScheduleBoot();
        return;
    }
    const bool hadFix = HasFixAt(now);
    ++restartCount_;
    lastKind_ = kind;
    restartAtMs_ = now;
    keepFixUntilMs_ = hadFix && config_.KeepFixMs > 0 ? now + config_.KeepFixMs : 0;
    int64_t duration = 0;
    switch (kind) {
        case RestartKind::Hot:
            duration = config_.HotMs;
            break;
        case RestartKind::Warm:
            duration = config_.WarmMs;
            break;
        case RestartKind::Cold:
            duration = config_.ColdMs;
            break;
        case RestartKind::Factory:
            duration = config_.FactoryMs;
            break;
    }
    if (config_.JitterMs > 0) {
        const double j = static_cast<double>(config_.JitterMs);
        duration += static_cast<int64_t>(std::llround(rng_.Uniform(-j, j)));
    }
    fixDueMs_ = now + static_cast<uint64_t>(std::max<int64_t>(duration, 0));
    if (kind == RestartKind::Factory && config_.FactoryBaud != 0) bootBaud_ = config_.FactoryBaud;
    Note("restart " + std::string(RestartKindName(kind)));
    ScheduleBoot();
}

// --- input -------------------------------------------------------------------------------------

void SimulatedReceiver::Input(std::string_view bytesFromTool) {
    if (vanished_ || !started_) return;
    const std::string fromTool = line_.FromTool(bytesFromTool);
    if (rtk_) rtk_->Take(fromTool, ElapsedMs());
    input_ += fromTool;
    if (input_.size() > kMaxInput) input_.erase(0, input_.size() - kMaxInput);
    ParseInput();
}

void SimulatedReceiver::ParseInput() {
    std::size_t i = 0;
    const std::string& in = input_;
    while (i < in.size()) {
        if (epo_ != nullptr && epo_->InBinaryMode()) {
            const std::string rest = in.substr(i);
            i = in.size();
            epo_->Input(rest);
            break;
        }
        const auto c = static_cast<uint8_t>(in[i]);
        const bool ubxOrHd = (c == 0xB5 || c == 0xF1);
        const bool sirf = c == 0xA0;
        if (ubxOrHd || sirf) {
            if (i + 1 >= in.size()) break;  // wait for the second sync byte
            const auto c2 = static_cast<uint8_t>(in[i + 1]);
            const bool sync =
                (c == 0xB5 && c2 == 0x62) || (c == 0xF1 && c2 == 0xD9) || (c == 0xA0 && c2 == 0xA2);
            if (sync) {
                const std::size_t header = ubxOrHd ? 6 : 4;
                if (in.size() - i < header) break;
                std::size_t payload = 0;
                if (ubxOrHd) {
                    payload = static_cast<uint8_t>(in[i + 4]) |
                              (static_cast<std::size_t>(static_cast<uint8_t>(in[i + 5])) << 8);
                } else {
                    payload =
                        (static_cast<std::size_t>(static_cast<uint8_t>(in[i + 2]) & 0x7F) << 8) |
                        static_cast<uint8_t>(in[i + 3]);
                }
                if (payload <= kMaxFramePayload) {
                    const std::size_t total = payload + 8;
                    if (in.size() - i < total) break;  // the rest is still on its way
                    const std::string_view frame = std::string_view(in).substr(i, total);
                    bool valid = false;
                    if (ubxOrHd) {
                        valid = SimFrameValid(frame);
                    } else {
                        const std::string_view body = frame.substr(4, payload);
                        const uint16_t sum = SirfChecksum15(body);
                        valid = static_cast<uint8_t>(frame[total - 4]) == (sum >> 8) &&
                                static_cast<uint8_t>(frame[total - 3]) == (sum & 0xFF) &&
                                static_cast<uint8_t>(frame[total - 2]) == 0xB0 &&
                                static_cast<uint8_t>(frame[total - 1]) == 0xB3;
                    }
                    if (valid) {
                        const std::string copy(frame);
                        i += total;
                        HandleFrame(copy);
                        continue;
                    }
                }
            }
        }
        if (c == '\n') {
            std::string lineText = std::move(text_);
            text_.clear();
            if (!lineText.empty() && lineText.back() == '\r') lineText.pop_back();
            HandleLine(lineText);
        } else if (c == '+' && text_.empty() && profile_->Variant == "a") {
            // The forward mode of this module ends after five escape characters.
            if (++forwardEscapes_ >= 5) {
                forwardEscapes_ = 0;
                Note("forward mode escape");
                Later(config_.AckDelayMs, [this] { SendBoot(); });
            }
        } else {
            text_.push_back(static_cast<char>(c));
            if (text_.size() > kMaxTextLine) text_.clear();
        }
        ++i;
    }
    input_.erase(0, i);
}

void SimulatedReceiver::HandleLine(std::string_view line) {
    const auto dollar = line.rfind('$');
    if (dollar == std::string_view::npos || sirfBinary_) return;
    line = line.substr(dollar);
    if (extra_ != nullptr) {
        std::vector<std::string> replies;
        const bool taken = extra_->OnCommand(line, ElapsedMs(), replies);
        if (!replies.empty()) Later(config_.AckDelayMs, [this, replies] { SendLines(replies); });
        if (taken) return;
    }
    for (const CommandRule& rule : profile_->Commands) {
        if (rule.Bytes == line) {
            Act(rule);
            return;
        }
    }
    if (profile_->CommandDialect == Dialect::Mtk) HandleMtkText(line);
    if (profile_->CommandDialect == Dialect::SiRF) HandleSirfText(line);
}

void SimulatedReceiver::HandleFrame(std::string_view frame) {
    const auto sync = static_cast<uint8_t>(frame[0]);
    if (sync == 0xA0) {
        if (profile_->SirfBinaryCapable) HandleSirfFrame(frame);
        return;
    }
    if (sirfBinary_) return;
    for (const CommandRule& rule : profile_->Commands) {
        if (rule.Bytes == frame) {
            Act(rule);
            return;
        }
    }
    if (sync == kUbxSync1 && profile_->CommandDialect == Dialect::Ubx) HandleUbxFrame(frame);
    if (sync == kHdSync1 && profile_->CommandDialect == Dialect::Hd) HandleHdFrame(frame);
}

void SimulatedReceiver::Act(const CommandRule& rule) {
    const auto& faults = config_.Faults;
    switch (rule.Action) {
        case CommandAction::Restart:
            if (faults.Reject) {
                Note("reject");
                SendAck(rule.Reject);
                return;
            }
            truths_.push_back({rule.Kind, ElapsedMs(), 0, 0, 0});
            if (!faults.NeverAck) SendAck(rule.Reply, truths_.size());
            Restart(rule.Kind);
            return;
        case CommandAction::Reply:
            Note("query");
            SendAck(rule.Reply);
            return;
        case CommandAction::StRestorePar:
            if (faults.Reject) return;
            truths_.push_back({RestartKind::Factory, ElapsedMs(), 0, 0, 0});
            if (!faults.NeverAck) SendAck(rule.Reply, truths_.size());
            Restart(RestartKind::Factory);
            return;
        case CommandAction::StSystemReset:
            if (restartCount_ > 0 && ElapsedMs() - restartAtMs_ < 3000) {
                ScheduleBoot();
            } else {
                Restart(RestartKind::Hot);
            }
            return;
    }
}

void SimulatedReceiver::HandleMtkText(std::string_view line) {
    if (line.rfind("$PMTK", 0) != 0 || !NmeaChecksumValid(line) || line.size() < 9) return;
    if (epo_ != nullptr && epo_->HandleText(line)) return;
    const auto end = line.find_first_of(",*", 5);
    const std::string id(line.substr(5, end - 5));
    if (id.empty() || id.size() > 3 ||
        !std::all_of(id.begin(), id.end(), [](char ch) { return ch >= '0' && ch <= '9'; }))
        return;
    const bool known =
        std::find(std::begin(kMtkKnownIds), std::end(kMtkKnownIds), id) != std::end(kMtkKnownIds);
    const char* result = config_.Faults.Reject ? "2" : (known ? "3" : "1");
    Note("mtk " + id + " -> " + result);
    if (!config_.Faults.NeverAck || !known) SendAck({NmeaLine("$PMTK001," + id + "," + result)});
    if (id == "251" && !config_.Faults.Reject && line[end] == ',') {
        const auto star = line.find('*');
        uint64_t baud = 0;
        for (char ch : line.substr(end + 1, star - end - 1)) {
            if (ch < '0' || ch > '9' || baud > 10000000) {
                baud = 0;
                break;
            }
            baud = baud * 10 + static_cast<uint64_t>(ch - '0');
        }
        if (PlausibleBaud(baud)) ChangeBaudAfterDrain(static_cast<uint32_t>(baud));
    }
}

// The SiRF periodic messages 00 to 05 and the sentences they are.
constexpr std::array<std::string_view, 6> kSirfPeriodic = {"GGA", "GLL", "GSA",
                                                           "GSV", "RMC", "VTG"};

void SimulatedReceiver::DropSwitchedOff(std::vector<std::string>& sentences) const {
    if (nmeaOff_ == 0) return;
    std::erase_if(sentences, [this](const std::string& sentence) {
        for (std::size_t n = 0; n < kSirfPeriodic.size(); ++n) {
            if ((nmeaOff_ & (1u << n)) != 0 && sentence.size() > 6 &&
                sentence.compare(3, 3, kSirfPeriodic[n]) == 0) {
                return true;
            }
        }
        return false;
    });
}

void SimulatedReceiver::React(const AssistReaction& reaction) {
    if (reaction.Vanish) {
        Vanish();
        return;
    }
    SendAck(reaction.Replies);
}

void SimulatedReceiver::HandleSirfText(std::string_view line) {
    if (const AssistReaction reaction = assist_.OnSirfSentence(line); reaction.Handled) {
        Note("sgee");
        React(reaction);
        return;
    }
    // $PSRF103,<nn>,00,<on>,01*cs switches periodic message nn on or off.
    if (line.rfind("$PSRF103,", 0) == 0 && NmeaChecksumValid(line) && line.size() >= 17) {
        const int message = (line[9] - '0') * 10 + (line[10] - '0');
        if (message >= 0 && message < static_cast<int>(kSirfPeriodic.size())) {
            const auto bit = static_cast<uint8_t>(1u << message);
            if (line.substr(14, 2) == "00") {
                nmeaOff_ |= bit;
            } else {
                nmeaOff_ &= static_cast<uint8_t>(~bit);
            }
        }
        return;
    }
    // $PSRF100,1,<baud>,8,1,0*cs: NMEA at another rate.
    if (line.rfind("$PSRF100,1,", 0) == 0 && NmeaChecksumValid(line)) {
        uint64_t baud = 0;
        for (char ch : line.substr(11)) {
            if (ch < '0' || ch > '9' || baud > 10000000) break;
            baud = baud * 10 + static_cast<uint64_t>(ch - '0');
        }
        if (PlausibleBaud(baud)) {
            Note("nmea baud");
            ChangeBaudAfterDrain(static_cast<uint32_t>(baud));
        }
        return;
    }
    // $PSRF100,0,<baud>,8,1,0*cs switches to SiRF binary at that rate.
    if (line.rfind("$PSRF100,0,", 0) != 0 || !NmeaChecksumValid(line)) return;
    const std::string rest(line.substr(11));
    uint64_t baud = 0;
    for (char ch : rest) {
        if (ch < '0' || ch > '9' || baud > 10000000) break;
        baud = baud * 10 + static_cast<uint64_t>(ch - '0');
    }
    Note("sirf binary");
    sirfBinary_ = true;
    if (PlausibleBaud(baud)) ChangeBaudAfterDrain(static_cast<uint32_t>(baud));
}

void SimulatedReceiver::HandleUbxFrame(std::string_view frame) {
    const auto cls = static_cast<uint8_t>(frame[2]);
    const auto id = static_cast<uint8_t>(frame[3]);
    if (cls != 0x06) return;  // only configuration messages are acknowledged
    const bool reject = config_.Faults.Reject;
    Note(reject ? "ubx reject" : "ubx config");
    if (!config_.Faults.NeverAck) SendAck({SimAck(FrameProtocol::Ubx, cls, id, !reject)});
    const std::string_view payload = frame.substr(6, frame.size() - 8);
    if (id == 0x00 && payload.size() == 20 && !reject) {
        const uint32_t baud = LittleEndian32(payload, 8);
        if (PlausibleBaud(baud)) ChangeBaudAfterDrain(baud);
    }
}

void SimulatedReceiver::HandleHdFrame(std::string_view frame) {
    const auto cls = static_cast<uint8_t>(frame[2]);
    const auto id = static_cast<uint8_t>(frame[3]);
    if (const AssistReaction reaction = assist_.OnHdFrame(frame); reaction.Handled) {
        Note("hd assist");
        React(reaction);
        return;
    }
    if (cls != 0x06) return;
    const std::string_view payload = frame.substr(6, frame.size() - 8);
    const bool reject = config_.Faults.Reject;
    if (id == 0x00 && payload.size() <= 1) {
        Note("hd port poll");
        SendAck({SimFrame(FrameProtocol::Hd, 0x06, 0x00, hdPortConfig_)});
        return;
    }
    Note(reject ? "hd reject" : "hd config");
    if (!config_.Faults.NeverAck) SendAck({SimAck(FrameProtocol::Hd, cls, id, !reject)});
    if (id == 0x00 && payload.size() == 8 && !reject) {
        const uint32_t baud = LittleEndian32(payload, 4);
        if (PlausibleBaud(baud)) ChangeBaudAfterDrain(baud);
    }
}

void SimulatedReceiver::HandleSirfFrame(std::string_view frame) {
    const std::string_view payload = frame.substr(4, frame.size() - 8);
    if (payload.empty()) return;
    const auto id = static_cast<uint8_t>(payload[0]);
    if (id == 0x81 && payload.size() == 24) {
        // Switch to NMEA: update periods per sentence, then the baud rate (big-endian).
        const uint32_t baud = (static_cast<uint32_t>(static_cast<uint8_t>(payload[22])) << 8) |
                              static_cast<uint8_t>(payload[23]);
        Note("sirf to nmea");
        const bool wasBinary = sirfBinary_;
        sirfBinary_ = false;
        if (PlausibleBaud(baud) && baud != line_.ReceiverBaud()) {
            line_.AfterDrain([this, baud] {
                line_.SetReceiverBaud(baud);
                Note("baud " + std::to_string(baud));
            });
        }
        if (wasBinary) ScheduleBoot();
    } else if (id == 0x84) {
        // Software version poll: message 6 with the version text.
        Note("sirf version");
        SendAck({SirfFrame(std::string("\x06", 1) + "GSW3.5.0_SIM" + std::string(1, '\0'))});
    }
}

}  // namespace gnss::sim
