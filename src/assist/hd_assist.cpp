#include "assist/hd_assist.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <system_error>

#include "link/receiver_link.h"

namespace gnss {

namespace {

std::size_t Index(HdbKind kind) {
    return static_cast<std::size_t>(kind);
}

std::string LowerExtension(const std::filesystem::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

bool ReadFile(const std::filesystem::path& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream text;
    text << in.rdbuf();
    out = text.str();
    return true;
}

// Writes beside the target first and renames, so a failed write leaves no half file.
bool WriteFileSafely(const std::filesystem::path& path, std::string_view data) {
    std::filesystem::path temp = path;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(data.data(), static_cast<std::streamsize>(data.size()));
        out.flush();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temp, ignored);
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temp, path, error);
    if (error) std::filesystem::remove(temp, error);
    return !error;
}

}  // namespace

HdAssist::HdAssist(const Deps& deps)
    : shared_(deps.Shared),
      receiver_(deps.Receiver),
      decoder_(deps.Decoder),
      port_(deps.Port),
      clock_(deps.SystemClock),
      prompts_(deps.Prompts),
      output_(deps.Output),
      restart_(deps.Restart),
      programFolder_(deps.ProgramFolder),
      fallbackFolder_(deps.FallbackFolder) {}

bool HdAssist::Upload(std::string_view file) {
    auto plan = PlanHdbUpload(file);
    if (!plan) return false;
    const HdbKindInfo& info = HdbInfo(plan->Kind);
    HdGaugeView& gauge = view_.Gauges[Index(plan->Kind)];
    gauge.Position = 0;
    gauge.Max = static_cast<uint32_t>(plan->FrameCount);
    gauge.Colour = std::string(info.GaugeColour);
    plan_ = std::move(plan);
    nextMessage_ = 0;
    messagesSent_ = 0;
    framesTaken_ = 0;
    bytesSent_ = 0;
    startTick_ = clock_.TickMs();
    elapsedMs_ = 0;
    outcome_ = HdUploadOutcome::Active;
    SendNextMessage();
    return true;
}

void HdAssist::SendNextMessage() {
    const HdbUploadPlan& plan = *plan_;
    const std::string& message = plan.Messages[nextMessage_];
    framesTaken_ += plan.FramesInMessage[nextMessage_];
    view_.Gauges[Index(plan.Kind)].Position = static_cast<uint32_t>(framesTaken_);
    if (Write(message)) {
        shared_.HedReplyDeadline = receiver_.SecondsCounter + kHdReplyWindowSeconds;
        bytesSent_ += message.size();
    }
    ++nextMessage_;
    ++messagesSent_;
    Changed();
}

void HdAssist::OnHdAcknowledged(uint8_t ackedClass, uint8_t ackedId) {
    if (outcome_ != HdUploadOutcome::Active || !plan_) return;
    // Only the acknowledgement of the message in flight moves the upload on.
    if (ackedClass != kHdAidClass || ackedId != HdbInfo(plan_->Kind).MessageId) return;
    if (nextMessage_ < plan_->Messages.size()) {
        SendNextMessage();
        return;
    }
    Complete();
}

void HdAssist::Complete() {
    outcome_ = HdUploadOutcome::Complete;
    elapsedMs_ = clock_.TickMs() - startTick_;
    output_.AddMonitorLine("  < Inject AGPS Data completely ! >");
    const HdbKind kind = plan_->Kind;
    Changed();
    if (kind == HdbKind::Gnss && view_.BdsTicked && !buffers_[Index(HdbKind::Beidou)].empty()) {
        Upload(buffers_[Index(HdbKind::Beidou)]);
    }
}

void HdAssist::OnLinkSecond() {
    // The receive path looks at HD replies only within the reply window; once it has passed
    // without an acknowledgement the upload cannot move on, and the user is told so.
    if (outcome_ == HdUploadOutcome::Active &&
        receiver_.SecondsCounter > shared_.HedReplyDeadline) {
        outcome_ = HdUploadOutcome::Stalled;
        elapsedMs_ = clock_.TickMs() - startTick_;
        output_.AddMonitorLine("  < Inject AGPS Data stopped: no acknowledgement of message " +
                               std::to_string(messagesSent_) + " ! >");
        Changed();
    }
}

void HdAssist::OnConnectionChanging() {
    if (outcome_ == HdUploadOutcome::Active) outcome_ = HdUploadOutcome::Stalled;
    restartAcknowledged_ = false;
}

bool HdAssist::UploadDownloaded() {
    if (view_.GpsTicked && Upload(buffers_[Index(HdbKind::Gnss)])) return true;
    if (view_.BdsTicked && Upload(buffers_[Index(HdbKind::Beidou)])) return true;
    return false;
}

void HdAssist::ShowDownloadStart(HdbKind kind) {
    buffers_[Index(kind)].clear();
    view_.Gauges[Index(kind)] = HdGaugeView{};
    Changed();
}

void HdAssist::ShowDownloadProgress(HdbKind kind, uint64_t received, uint64_t total) {
    HdGaugeView& gauge = view_.Gauges[Index(kind)];
    gauge.Max = static_cast<uint32_t>(total);
    gauge.Position = static_cast<uint32_t>(std::min(received, total));
    Changed();
}

void HdAssist::ShowDownloadError(HdbKind kind, std::string_view text) {
    view_.TimeTexts[Index(kind)] = std::string(text);
    Changed();
}

void HdAssist::SetDownloaded(HdbKind kind, std::string data, std::string_view lastModified) {
    const std::string label(HdbInfo(kind).Label);
    const std::string text =
        label + ":" + std::string(lastModified) + " (" + std::to_string(data.size()) + ")";
    view_.TimeTexts[Index(kind)] = text;
    view_.Descriptions[Index(kind)] = "**" + text;
    buffers_[Index(kind)] = std::move(data);
    Changed();
}

void HdAssist::SetBusy(bool busy) {
    view_.Busy = busy;
    Changed();
}

std::filesystem::path HdAssist::SaveDownloaded(HdbKind kind, const std::filesystem::path& folder) {
    const std::string name(HdbInfo(kind).FileName);
    const std::string& data = buffers_[Index(kind)];
    // A kind whose download failed has nothing to save: the file from an earlier download
    // stays as it is (its error has been shown already).
    if (data.empty()) return {};
    for (const std::filesystem::path& where : {folder, fallbackFolder_}) {
        if (where.empty()) continue;
        const std::filesystem::path path = where / name;
        if (WriteFileSafely(path, data)) {
            output_.AddMonitorLine("  < " + path.string() + " saved >");
            return path;
        }
    }
    prompts_.ShowError("\"" + name + "\" can not be saved !");
    return {};
}

bool HdAssist::SendInitialAiding(InitialAiding aiding) {
    const GgaRecord& gga = decoder_.Gga();
    const AidPosition position{gga.Latitude, gga.Longitude, gga.Altitude};
    const std::string message =
        BuildInitialAiding(aiding, position, DecodeDateTime(clock_.NowUtc()));
    if (message.empty() || !Write(message)) return false;
    output_.AddLoggedMonitorLine("  [" + std::string(InitialAidingName(aiding)) + "]");
    shared_.HedReplyDeadline = receiver_.SecondsCounter + kHdReplyWindowSeconds;
    return true;
}

std::size_t HdAssist::InjectHexFile(const std::filesystem::path& path) {
    std::string text;
    if (!ReadFile(path, text)) return 0;
    const HexFileFrames frames = ReadHexFrames(text);
    std::size_t sent = 0;
    for (std::size_t i = 0; i < frames.Frames.size(); ++i) {
        Write(frames.Frames[i]);
        output_.AddMonitorLine("  <" + frames.Lines[i] + ">");
        ++sent;
    }
    if (frames.BadLine != 0) prompts_.ShowError("Invalid Data !");
    if (sent > 0) shared_.HedReplyDeadline = receiver_.SecondsCounter + kHdReplyWindowSeconds;
    return sent;
}

void HdAssist::UpdateFromFile(const std::filesystem::path& path) {
    const std::string ext = LowerExtension(path);
    if (ext == ".hdb") {
        std::string data;
        if (ReadFile(path, data)) Upload(data);
    } else if (ext == ".hex") {
        InjectHexFile(path);
    }
}

void HdAssist::UpdateFromNamedFile() {
    std::string_view name = view_.FileName;
    while (!name.empty() && std::isspace(static_cast<unsigned char>(name.front()))) {
        name.remove_prefix(1);
    }
    while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back()))) {
        name.remove_suffix(1);
    }
    std::filesystem::path path{std::string(name)};
    if (path.is_relative()) path = programFolder_ / path;
    std::error_code error;
    if (name.empty() || !std::filesystem::is_regular_file(path, error)) {
        prompts_.ShowError("\"" + std::string(name) + "\" not found !");
        return;
    }
    UpdateFromFile(path);
}

void HdAssist::OnTtffStart(uint32_t /*tickMs*/) {
    if (restart_.PendingHdAssist != HdAssistRequest::None) restartAcknowledged_ = true;
}

void HdAssist::OnLineReceived(std::string_view /*line*/) {
    if (restartAcknowledged_) RunArmedRequest();
}

void HdAssist::RunArmedRequest() {
    const HdAssistRequest request = restart_.PendingHdAssist;
    restart_.PendingHdAssist = HdAssistRequest::None;
    restartAcknowledged_ = false;
    switch (request) {
        case HdAssistRequest::UploadLocalFile:
            InjectHexFile(programFolder_ / std::string(kHdHexFileName));
            break;
        case HdAssistRequest::DownloadCurrent:
            if (onlineUpdate_) onlineUpdate_(false);
            break;
        case HdAssistRequest::None:
            break;
    }
}

void HdAssist::SyncVisible() {
    const bool visible = shared_.Family == ReceiverFamily::HED;
    if (visible != view_.Visible) {
        view_.Visible = visible;
        Changed();
    }
}

bool HdAssist::Write(std::string_view bytes) {
    return SendToReceiver(shared_, port_, bytes);
}

void HdAssist::Changed() {
    if (changed_) changed_();
}

}  // namespace gnss
