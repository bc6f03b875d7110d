#include "testruns/ttff_campaign.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace gnss {

namespace {

constexpr double kEarthRadiusM = 6371008.8;

bool Failed(RunOutcome outcome) {
    return outcome != RunOutcome::Fix;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// Nearest-rank percentile of sorted values.
double Percentile(const std::vector<double>& sorted, double p) {
    if (sorted.empty()) return 0.0;
    const auto rank =
        static_cast<std::size_t>(std::ceil(p / 100.0 * static_cast<double>(sorted.size())));
    return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

// Great-circle distance (haversine) in metres.
double DistanceM(double lat1, double lon1, double lat2, double lon2) {
    const double rad = std::numbers::pi / 180.0;
    const double dLat = (lat2 - lat1) * rad;
    const double dLon = (lon2 - lon1) * rad;
    const double a =
        std::sin(dLat / 2) * std::sin(dLat / 2) +
        std::cos(lat1 * rad) * std::cos(lat2 * rad) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * kEarthRadiusM * std::asin(std::min(1.0, std::sqrt(a)));
}

std::string DateText(DateTime value) {
    const DateTimeParts p = DecodeDateTime(value);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", p.Year, p.Month, p.Day,
                  p.Hour, p.Minute, p.Second, p.Millisecond);
    return text;
}

std::string Number(double value, int decimals) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string KindsText(const std::vector<RestartKind>& kinds, char separator) {
    std::string text;
    for (RestartKind kind : kinds) {
        if (!text.empty()) text += separator;
        text += RestartKindName(kind);
    }
    return text;
}

}  // namespace

std::string_view RunOutcomeName(RunOutcome outcome) {
    switch (outcome) {
        case RunOutcome::Fix:
            return "fix";
        case RunOutcome::Timeout:
            return "timeout";
        case RunOutcome::NoAcknowledgement:
            return "no acknowledgement";
        case RunOutcome::LinkLost:
            return "link lost";
        case RunOutcome::NotSent:
            return "not sent";
    }
    return "";
}

TtffCampaign::TtffCampaign(const Deps& deps)
    : deps_(deps),
      timeout_(std::make_unique<DelayedCall>(deps.Timers)),
      next_(std::make_unique<DelayedCall>(deps.Timers)) {}

bool TtffCampaign::CanStart() const {
    const ReceiverRestart::ButtonStates buttons = deps_.Restart.Buttons();
    return buttons.Hot || buttons.Warm || buttons.Cold || buttons.Factory;
}

bool TtffCampaign::Start(CampaignSettings settings) {
    if (running_ || !CanStart()) return false;
    settings.Runs = std::clamp(settings.Runs, 1, CampaignSettings::kMaxRuns);
    if (settings.Kinds.empty()) settings.Kinds = {RestartKind::Cold};
    settings.TimeoutMs = std::max<uint32_t>(settings.TimeoutMs, 1000);
    settings_ = std::move(settings);
    runs_.clear();
    running_ = true;
    waitingForReceiver_ = false;
    started_runs_ = 0;
    campaignFamily_ = deps_.Pipeline.Shared.Family;
    family_ = FamilyDisplayName(campaignFamily_);
    firmware_ = deps_.Identification.Result.FirmwareText;
    started_ = deps_.SystemClock.NowLocal();
    StartRun();
    return true;
}

void TtffCampaign::Stop() {
    if (!running_) return;
    timeout_->Cancel();
    next_->Cancel();
    current_ = 0;
    End();
}

void TtffCampaign::End() {
    running_ = false;
    waitingForReceiver_ = false;
    current_ = 0;
    for (CampaignListener* listener : listeners_) listener->OnCampaignFinished();
}

void TtffCampaign::StartRun() {
    if (!running_) return;
    if (started_runs_ >= settings_.Runs) {
        End();
        return;
    }
    if (!CanStart()) {
        waitingForReceiver_ = true;  // resumes when the receiver is identified again
        return;
    }
    const RestartKind kind =
        settings_.Kinds[static_cast<std::size_t>(started_runs_) % settings_.Kinds.size()];
    ++started_runs_;
    current_ = started_runs_;
    run_ = CampaignRun{};
    run_.Number = current_;
    run_.Kind = kind;
    run_.Start = deps_.SystemClock.NowLocal();
    commandTickMs_ = deps_.SystemClock.TickMs();
    for (CampaignListener* listener : listeners_) listener->OnRunStarted(current_, kind);
    timeout_->After(settings_.TimeoutMs, [this] {
        const RestartReport& report = deps_.Verification.Report();
        const bool acknowledged = report.Acknowledgement == RestartReport::Ack::Seen ||
                                  report.Acknowledgement == RestartReport::Ack::NotExpected;
        FinishRun(acknowledged ? RunOutcome::Timeout : RunOutcome::NoAcknowledgement);
    });
    deps_.Restart.RestartReceiver(kind);
}

void TtffCampaign::OnRestartCommandWritten(RestartKind, const RestartCommand&, std::string_view,
                                           bool) {
    if (current_ != 0) commandTickMs_ = deps_.SystemClock.TickMs();
}

void TtffCampaign::OnRestartRefused(RestartKind, const RestartCommand&) {
    if (current_ != 0) FinishRun(RunOutcome::NotSent);
}

void TtffCampaign::OnTtffFix(const TtffResult& result) {
    if (current_ == 0) return;
    run_.HasTtff = true;
    run_.TtffFromAck = result.HasStart;
    run_.TtffMs =
        result.HasStart ? result.ElapsedMs : static_cast<uint32_t>(result.ElapsedSeconds) * 1000;
    run_.FromCommandMs = result.FixTickMs - commandTickMs_;
    const GgaRecord& gga = deps_.Pipeline.Decoder.Gga();
    run_.FixQuality = gga.FixQuality;
    run_.SatellitesUsed = gga.SatellitesUsed;
    run_.Hdop = gga.Hdop;
    const RmcRecord& rmc = deps_.Pipeline.Decoder.Rmc();
    run_.HasPosition = gga.FixQuality > 0 || rmc.Status == 'A';
    run_.LatitudeDeg = gga.FixQuality > 0 ? gga.Latitude : rmc.Latitude;
    run_.LongitudeDeg = gga.FixQuality > 0 ? gga.Longitude : rmc.Longitude;
    FinishRun(RunOutcome::Fix);
}

void TtffCampaign::FinishRun(RunOutcome outcome) {
    if (current_ == 0) return;
    timeout_->Cancel();
    const RestartReport& report = deps_.Verification.Report();
    run_.AckExpected = report.Acknowledgement != RestartReport::Ack::NotExpected;
    run_.AckSeen = report.Acknowledgement == RestartReport::Ack::Seen;
    run_.AckDelayMs = run_.AckSeen ? report.AckDelayMs : 0;
    run_.FixDropped = report.FixDropped;
    run_.Outcome = outcome;
    runs_.push_back(run_);
    current_ = 0;
    UpdateDistances();
    for (CampaignListener* listener : listeners_) listener->OnRunFinished(runs_.back());
    if (settings_.StopOnFirstFailure && Failed(outcome)) {
        End();
        return;
    }
    if (outcome == RunOutcome::LinkLost) {
        waitingForReceiver_ = true;
        return;
    }
    ScheduleNext(outcome == RunOutcome::Fix ? settings_.PauseMs : 0);
}

void TtffCampaign::ScheduleNext(uint32_t delayMs) {
    if (delayMs == 0) {
        // Not from inside the run's own callbacks: the next restart starts on the next turn.
        next_->After(1, [this] { StartRun(); });
    } else {
        next_->After(delayMs, [this] { StartRun(); });
    }
}

void TtffCampaign::OnDisconnected() {
    if (!running_) return;
    next_->Cancel();
    if (current_ != 0) {
        FinishRun(RunOutcome::LinkLost);
    } else {
        waitingForReceiver_ = true;
    }
}

void TtffCampaign::OnReceiverIdentified() {
    if (!running_ || !waitingForReceiver_) return;
    waitingForReceiver_ = false;
    ScheduleNext(settings_.PauseMs);
}

void TtffCampaign::OnIdentificationChanged() {
    SharedState& shared = deps_.Pipeline.Shared;
    if (!running_ || !waitingForReceiver_ || shared.ReceiverIdentified ||
        !shared.IdentificationGaveUp || !shared.PortOpen) {
        return;
    }
    shared.Family = campaignFamily_;
    shared.ReceiverIdentified = true;
    shared.IdentificationPending = false;
    OnReceiverIdentified();
}

void TtffCampaign::UpdateDistances() {
    std::vector<double> lats;
    std::vector<double> lons;
    for (const CampaignRun& run : runs_) {
        if (!run.HasPosition) continue;
        lats.push_back(run.LatitudeDeg);
        lons.push_back(run.LongitudeDeg);
    }
    const double lat = Median(lats);
    const double lon = Median(lons);
    for (CampaignRun& run : runs_) {
        run.DistanceFromMedianM =
            run.HasPosition ? DistanceM(run.LatitudeDeg, run.LongitudeDeg, lat, lon) : 0.0;
    }
}

std::vector<KindSummary> TtffCampaign::Summary() const {
    std::vector<KindSummary> summary;
    for (RestartKind kind : settings_.Kinds) {
        if (std::any_of(summary.begin(), summary.end(),
                        [kind](const KindSummary& s) { return s.Kind == kind; })) {
            continue;
        }
        KindSummary s;
        s.Kind = kind;
        std::vector<double> ttff;
        for (const CampaignRun& run : runs_) {
            if (run.Kind != kind) continue;
            ++s.Runs;
            if (Failed(run.Outcome)) {
                ++s.Failures;
            } else {
                ++s.Fixes;
                ttff.push_back(run.TtffMs);
            }
        }
        if (!ttff.empty()) {
            std::sort(ttff.begin(), ttff.end());
            s.MinMs = ttff.front();
            s.MaxMs = ttff.back();
            s.MedianMs = Median(ttff);
            double sum = 0;
            for (double v : ttff) sum += v;
            s.MeanMs = sum / static_cast<double>(ttff.size());
            s.P95Ms = Percentile(ttff, 95.0);
        }
        summary.push_back(s);
    }
    return summary;
}

std::string CampaignCsv(const TtffCampaign& campaign) {
    const CampaignSettings& settings = campaign.Settings();
    std::string csv;
    csv += "# gnssvaro TTFF campaign, started " + DateText(campaign.Started()) + "\n";
    csv += "# receiver: " + campaign.Family() + ", firmware: " + campaign.Firmware() + "\n";
    csv += "# kinds: " + KindsText(settings.Kinds, ' ') +
           "; runs: " + std::to_string(settings.Runs) +
           "; timeout: " + std::to_string(settings.TimeoutMs) +
           " ms; pause: " + std::to_string(settings.PauseMs) +
           " ms; stop on first failure: " + (settings.StopOnFirstFailure ? "yes" : "no") + "\n";
    csv +=
        "run,kind,start,ack_seen,ack_delay_ms,fix_dropped,ttff_ms,ttff_from_ack,"
        "from_command_ms,fix_quality,satellites_used,hdop,latitude,longitude,"
        "distance_from_median_m,outcome\n";
    for (const CampaignRun& run : campaign.Runs()) {
        csv += std::to_string(run.Number) + "," + std::string(RestartKindName(run.Kind)) + "," +
               DateText(run.Start) + "," + (run.AckSeen ? "1" : "0") + "," +
               std::to_string(run.AckDelayMs) + "," + (run.FixDropped ? "1" : "0") + "," +
               (run.HasTtff ? std::to_string(run.TtffMs) : "") + "," +
               (run.TtffFromAck ? "1" : "0") + "," +
               (run.HasTtff ? std::to_string(run.FromCommandMs) : "") + "," +
               std::to_string(run.FixQuality) + "," + std::to_string(run.SatellitesUsed) + "," +
               Number(run.Hdop, 2) + "," + (run.HasPosition ? Number(run.LatitudeDeg, 7) : "") +
               "," + (run.HasPosition ? Number(run.LongitudeDeg, 7) : "") + "," +
               (run.HasPosition ? Number(run.DistanceFromMedianM, 2) : "") + "," +
               std::string(RunOutcomeName(run.Outcome)) + "\n";
    }
    csv += "\n# summary\nkind,runs,fixes,failures,min_ms,median_ms,mean_ms,p95_ms,max_ms\n";
    for (const KindSummary& s : campaign.Summary()) {
        csv += std::string(RestartKindName(s.Kind)) + "," + std::to_string(s.Runs) + "," +
               std::to_string(s.Fixes) + "," + std::to_string(s.Failures) + "," +
               Number(s.MinMs, 0) + "," + Number(s.MedianMs, 0) + "," + Number(s.MeanMs, 0) + "," +
               Number(s.P95Ms, 0) + "," + Number(s.MaxMs, 0) + "\n";
    }
    return csv;
}

std::string CampaignJson(const TtffCampaign& campaign) {
    const CampaignSettings& settings = campaign.Settings();
    std::string json = "{\"settings\":{\"kinds\":[";
    for (std::size_t i = 0; i < settings.Kinds.size(); ++i) {
        json += (i ? "," : "") + JsonString(RestartKindName(settings.Kinds[i]));
    }
    json += "],\"runs\":" + std::to_string(settings.Runs) +
            ",\"timeoutMs\":" + std::to_string(settings.TimeoutMs) +
            ",\"pauseMs\":" + std::to_string(settings.PauseMs) +
            ",\"stopOnFirstFailure\":" + (settings.StopOnFirstFailure ? "true" : "false") +
            ",\"started\":" + JsonString(DateText(campaign.Started())) +
            "},\"receiver\":{\"family\":" + JsonString(campaign.Family()) +
            ",\"firmware\":" + JsonString(campaign.Firmware()) + "},\"runs\":[";
    bool first = true;
    for (const CampaignRun& run : campaign.Runs()) {
        json += first ? "" : ",";
        first = false;
        json += "{\"run\":" + std::to_string(run.Number) +
                ",\"kind\":" + JsonString(RestartKindName(run.Kind)) +
                ",\"start\":" + JsonString(DateText(run.Start)) +
                ",\"ackSeen\":" + (run.AckSeen ? "true" : "false") +
                ",\"ackDelayMs\":" + std::to_string(run.AckDelayMs) +
                ",\"fixDropped\":" + (run.FixDropped ? "true" : "false") +
                ",\"ttffMs\":" + (run.HasTtff ? std::to_string(run.TtffMs) : "null") +
                ",\"ttffFromAck\":" + (run.TtffFromAck ? "true" : "false") +
                ",\"fromCommandMs\":" + (run.HasTtff ? std::to_string(run.FromCommandMs) : "null") +
                ",\"fixQuality\":" + std::to_string(run.FixQuality) +
                ",\"satellitesUsed\":" + std::to_string(run.SatellitesUsed) +
                ",\"hdop\":" + Number(run.Hdop, 2) +
                ",\"latitude\":" + (run.HasPosition ? Number(run.LatitudeDeg, 7) : "null") +
                ",\"longitude\":" + (run.HasPosition ? Number(run.LongitudeDeg, 7) : "null") +
                ",\"distanceFromMedianM\":" +
                (run.HasPosition ? Number(run.DistanceFromMedianM, 2) : "null") +
                ",\"outcome\":" + JsonString(RunOutcomeName(run.Outcome)) + "}";
    }
    json += "],\"summary\":[";
    first = true;
    for (const KindSummary& s : campaign.Summary()) {
        json += first ? "" : ",";
        first = false;
        json += "{\"kind\":" + JsonString(RestartKindName(s.Kind)) +
                ",\"runs\":" + std::to_string(s.Runs) + ",\"fixes\":" + std::to_string(s.Fixes) +
                ",\"failures\":" + std::to_string(s.Failures) + ",\"minMs\":" + Number(s.MinMs, 0) +
                ",\"medianMs\":" + Number(s.MedianMs, 0) + ",\"meanMs\":" + Number(s.MeanMs, 0) +
                ",\"p95Ms\":" + Number(s.P95Ms, 0) + ",\"maxMs\":" + Number(s.MaxMs, 0) + "}";
    }
    return json + "]}";
}

}  // namespace gnss
