#include "assist/epo_assistant.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <utility>

#include "link/receiver_link.h"
#include "nmea/text_fields.h"

namespace gnss {

namespace {

constexpr int kFourteenDays = 14;
constexpr int kSevenDays = 7;

// The file that fits each receiver.
struct EpoDownloadRow {
    int PeriodDays;  // 0: any other period
    bool EpoI;       // the "EPO" box ticked
    AssistServer Server;
    uint32_t Size;
};
constexpr std::array<EpoDownloadRow, 3> kEpoDownloads = {{
    {kFourteenDays, false, AssistServer::EpoII14Days, kEpoIIFourteenDaysSize},
    {kSevenDays, true, AssistServer::EpoI7Days, kEpoISevenDaysSize},
    {0, false, AssistServer::EpoII7Days, kEpoIISevenDaysSize},
}};

// The receiver's reply to the EASY query, and what it means.
struct EasyReplyRow {
    std::string_view Tag;
    EasyState State;
    std::string_view WindowText;
    std::string_view PanelText;
};
constexpr std::array<EasyReplyRow, 2> kEasyReplies = {{
    {"$PMTK869,2,0", EasyState::Off, "EASY : Off", "EASY:Off"},
    {"$PMTK869,2,1", EasyState::On, "EASY : On", "EASY:On"},
}};

const EpoDownloadRow& DownloadRowFor(int periodDays, bool epoI) {
    if (periodDays == kFourteenDays) return kEpoDownloads[0];
    if (periodDays == kSevenDays && epoI) return kEpoDownloads[1];
    return kEpoDownloads[2];
}

// A whole number with thousands separators.
std::string GroupedNumber(uint64_t value) {
    std::string digits = std::to_string(value);
    for (std::ptrdiff_t at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), 1, ',');
    }
    return digits;
}

}  // namespace

EpoAssistant::EpoAssistant(Deps deps)
    : deps_(std::move(deps)), buttonPoll_(deps_.Timers.CreateTimer()) {
    buttonPoll_->SetIntervalMs(kButtonPollMs);
    buttonPoll_->OnTimeout = [this] {
        if (expectStatus_) return;
        buttonPoll_->Stop();
        SetButtons(true);
        Changed();
    };
    deps_.Transfer.SetListener(this);
}

EpoAssistant::~EpoAssistant() {
    deps_.Transfer.SetListener(nullptr);
    if (downloading_ && downloader_ != nullptr) {
        downloading_ = false;
        downloader_->Cancel();
    }
}

void EpoAssistant::Changed() {
    if (deps_.ViewChanged) deps_.ViewChanged();
}

void EpoAssistant::SetButtons(bool enabled) {
    view_.ButtonsEnabled = enabled;
    view_.CancelEnabled = !enabled && Busy();
}

AssistServer EpoAssistant::ServerForReceiver() const {
    return DownloadRowFor(deps_.Identification.EpoPeriodDays, view_.EpoIChecked).Server;
}

uint32_t EpoAssistant::ExpectedSizeForReceiver() const {
    return DownloadRowFor(deps_.Identification.EpoPeriodDays, view_.EpoIChecked).Size;
}

// --- status ---

void EpoAssistant::QueryStatus() {
    expectStatus_ = true;
    (void)SendToReceiver(deps_.Pipeline.Shared, deps_.Port, kEpoStatusQuery);
}

void EpoAssistant::JoinSentenceChain(SentenceChain& chain) {
    chain.Register(ChainSlot::AssistReplies, [this](SentenceContext& ctx) {
        if (easyOutstanding_) HandleEasyReply(ctx.Line);
        return HandleStatusReply(ctx.Line) ? ChainStep::EndTrue : ChainStep::Continue;
    });
}

bool EpoAssistant::HandleStatusReply(std::string_view line) {
    if (!expectStatus_ || line.find(kEpoStatusReplyTag) == std::string_view::npos) return false;
    if (const std::optional<EpoStatusReply> reply = ParseEpoStatusReply(line)) {
        const ReferenceTime now =
            EpoReferenceTime(deps_.Pipeline.Decoder.Rmc(), deps_.SystemClock.NowUtc());
        status_ = EpoStatusFromReply(*reply, now.Utc);
        statusKnown_ = true;
        ShowValidity();
    }
    expectStatus_ = false;
    Changed();
    return true;
}

void EpoAssistant::ShowValidity() {
    const ReferenceTime now =
        EpoReferenceTime(deps_.Pipeline.Decoder.Rmc(), deps_.SystemClock.NowUtc());
    view_.ValidityText = std::string(now.Prefix()) + EpoValidityText(status_, now.Utc);
}

// --- EASY ---

void EpoAssistant::ScheduleEasyQuery() {
    deps_.Identification.EasyQueryDue =
        deps_.Pipeline.Receiver.SecondsCounter + kEasyQueryDelaySeconds;
}

void EpoAssistant::OnLinkSecond() {
    const int32_t now = deps_.Pipeline.Receiver.SecondsCounter;
    if (easyOutstanding_ && now >= easyExpiry_) easyOutstanding_ = false;
    int32_t& due = deps_.Identification.EasyQueryDue;
    if (due == 0 || now < due) return;
    due = 0;
    const ReceiverFamily family = deps_.Pipeline.Shared.Family;
    if (family != ReceiverFamily::MTK && family != ReceiverFamily::CM2) return;
    if (SendToReceiver(deps_.Pipeline.Shared, deps_.Port, kEasyQuery)) {
        easyOutstanding_ = true;
        easyExpiry_ = now + kEasyReplySeconds;
    }
}

void EpoAssistant::HandleEasyReply(std::string_view line) {
    for (const EasyReplyRow& row : kEasyReplies) {
        if (line.find(row.Tag) == std::string_view::npos) continue;
        easyOutstanding_ = false;
        easy_ = row.State;
        if (view_.Visible) view_.EasyText = std::string(row.WindowText);
        std::string panel(row.PanelText);
        // A fourth field before the checksum qualifies the state: "EASY:On(...)".
        if (row.State == EasyState::On && CountDelimiters(line, kCommaStar) == 4) {
            panel += "(" + std::string(ExtractField(4, line, kCommaStar)) + ")";
        }
        if (deps_.ShowEasyPanel) deps_.ShowEasyPanel(panel);
        Changed();
        return;
    }
    if (deps_.ShowEasyPanel) deps_.ShowEasyPanel("");
}

void EpoAssistant::EasyOffClicked() {
    if (SendToReceiver(deps_.Pipeline.Shared, deps_.Port, kEasyOff)) ScheduleEasyQuery();
}

// --- the window ---

void EpoAssistant::OpenWindow() {
    QueryStatus();
    if (!windowCreated_) {
        windowCreated_ = true;
        view_ = EpoWindowView{};
        view_.PeriodText = std::to_string(deps_.Identification.EpoPeriodDays) + "d";
        SetButtons(false);
        buttonPoll_->Start();
    }
    view_.Visible = true;
    Changed();
}

void EpoAssistant::CloseWindow() {
    if (Busy()) CancelClicked();
    view_.Visible = false;
    Changed();
}

void EpoAssistant::SetEpoIChecked(bool checked) {
    view_.EpoIChecked = checked;
    Changed();
}

void EpoAssistant::CancelClicked() {
    if (downloading_ && downloader_ != nullptr) {
        downloader_->Cancel();  // the done handler reports it
    } else if (deps_.Transfer.Running()) {
        deps_.Transfer.Cancel();
    }
}

void EpoAssistant::UpdateClicked() {
    if (Busy()) return;
    const ReferenceTime now =
        EpoReferenceTime(deps_.Pipeline.Decoder.Rmc(), deps_.SystemClock.NowUtc());
    if (!EpoUpdateAllowed(status_, now.Utc)) {
        Finish("AGPS data does not need to update !", true);
        deps_.Prompts.ShowInfo("AGPS data does not need to update !");
        return;
    }
    const std::string url = deps_.Servers.Resolve(ServerForReceiver());
    if (url.empty()) {
        Fail("No server address is set for this receiver's EPO file (Servers...) !", true);
        return;
    }
    StartDownload(url, ExpectedSizeForReceiver());
}

void EpoAssistant::DownloadAndUpload(const std::string& url) {
    if (Busy()) return;
    StartDownload(url, ExpectedSizeForReceiver());
}

void EpoAssistant::StartDownload(const std::string& url, uint32_t expectedSize) {
    if (downloader_ == nullptr || (network_ != nullptr && !network_->IsOnline())) {
        Finish("Please connect to Internet first !", false);
        deps_.Prompts.ShowInfo("Please connect to Internet first !");
        return;
    }
    downloading_ = true;
    view_.GaugeVisible = true;
    view_.GaugeMax = expectedSize;
    view_.GaugePosition = 0;
    view_.GaugeColour = kEpoGaugeDownloadColour;
    view_.ActivityText = "Downloading ...";
    SetButtons(false);
    Changed();
    DownloadRequest request;
    request.Url = url;
    request.UserAgent = std::string(kUserAgent);
    request.Accept = std::string(kAccept);
    downloader_->Start(
        request,
        [this](uint64_t received, std::optional<uint64_t> /*total*/) {
            view_.GaugePosition =
                static_cast<uint32_t>(std::min<uint64_t>(received, view_.GaugeMax));
            Changed();
        },
        [this, url, expectedSize](const DownloadResult& result) {
            Downloaded(result, url, expectedSize);
        });
}

void EpoAssistant::Downloaded(const DownloadResult& result, const std::string& url,
                              uint32_t expectedSize) {
    downloading_ = false;
    view_.ActivityText.clear();
    if (result.Outcome == DownloadOutcome::Cancelled) {
        Fail("Download cancelled", false);
        return;
    }
    if (result.Outcome == DownloadOutcome::NotFound) {
        Fail("The AGPS data is not available !", true);
        return;
    }
    if (!result.Ok()) {
        Fail(DownloadErrorText(result), true);
        return;
    }
    deps_.Output.AddDebugLine(url + " [" + GroupedNumber(result.Body.size()) + "] bytes");
    if (result.Body.size() != expectedSize) {
        Fail("Data error !", true);
        return;
    }
    (void)PrepareAndStart(result.Body);
}

void EpoAssistant::UploadFileClicked(const std::filesystem::path& path) {
    if (Busy()) return;
    std::ifstream in(path, std::ios::binary);
    std::string bytes;
    if (in) {
        bytes.resize(kMaxFileBytes + 1);
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        bytes.resize(static_cast<std::size_t>(in.gcount()));
    }
    if (!in.eof() || bytes.size() > kMaxFileBytes) {
        Fail("Data error !", true);
        return;
    }
    (void)UploadBytes(std::move(bytes));
}

bool EpoAssistant::UploadBytes(std::string bytes) {
    if (Busy()) return false;
    return PrepareAndStart(std::move(bytes));
}

bool EpoAssistant::PrepareAndStart(std::string bytes) {
    const EpoInfo info = RecogniseEpoFile(bytes);
    if (info.Type == EpoType::Unknown) {
        Fail("Data error !", true);
        return false;
    }
    std::string packets = BuildEpoPackets(bytes, info);
    const std::size_t count = packets.size() / info.PacketLength;
    deps_.Output.AddDebugLine("StrmPacket:[" + GroupedNumber(packets.size()) + "], iPKCnt:[" +
                              GroupedNumber(count) + "]");
    status_.ValidDays = EpoValidDays(info);
    view_.GaugeVisible = true;
    view_.GaugeMax = info.PacketCount - 1u;
    view_.GaugePosition = 0;
    view_.GaugeColour = kEpoGaugeUploadColour;
    view_.ElapsedText.clear();
    view_.ActivityText = "Uploading " + std::string(EpoTypeName(info.Type)) + " ...";
    lastOutcome_.clear();
    if (!deps_.Transfer.Start(std::move(packets), info.PacketLength)) {
        Fail("The receiver is not connected !", true);
        return false;
    }
    SetButtons(false);
    Changed();
    return true;
}

// --- the upload's reports ---

void EpoAssistant::OnEpoPacketAccepted(uint32_t acknowledged, uint32_t lastIndex,
                                       double elapsedSeconds) {
    view_.GaugePosition = std::min(acknowledged, lastIndex);  // the gauge ends at its maximum
    char text[32];
    std::snprintf(text, sizeof text, "%4.1f Sec", elapsedSeconds);
    view_.ElapsedText = text;
    Changed();
}

void EpoAssistant::OnEpoTransferDone() {
    view_.ActivityText.clear();
    SetButtons(true);
    QueryStatus();
    Changed();
}

void EpoAssistant::OnEpoTransferConfirmed() {
    Finish("Update success !", true);
    deps_.Prompts.ShowInfo("Update success !");
}

void EpoAssistant::OnEpoTransferFailed(const std::string& message) {
    view_.ActivityText.clear();
    Fail(message, true);
    view_.Visible = false;  // the window closes as "Close" does
    Changed();
}

void EpoAssistant::Fail(const std::string& message, bool asError) {
    Finish(message, false);
    SetButtons(true);
    view_.GaugeVisible = false;
    Changed();
    if (asError) deps_.Prompts.ShowError(message);
}

void EpoAssistant::Finish(const std::string& outcome, bool ok) {
    lastOutcome_ = outcome;
    lastOutcomeOk_ = ok;
}

void EpoAssistant::OnConnectionChanging() {
    easyOutstanding_ = false;
    easy_ = EasyState::Unknown;
    expectStatus_ = false;
}

}  // namespace gnss
