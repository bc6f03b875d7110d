#include "link/connection_control.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "nmea/text_fields.h"
#include "nmea/time_text.h"

namespace gnss {

namespace {

constexpr uint32_t kCommonEndWaitMs = 50;
constexpr uint32_t kReconnectWaitMs = 100;
constexpr int kSilentSecondsBeforeReconnect = 5;  // reconnect when the count exceeds this
constexpr int kMaxReconnects = 2;
constexpr std::size_t kDetectionKeep = 180;
constexpr int kMaxDetectionRounds = 7;  // give up when a wrap finds more rounds than this

constexpr std::array<std::string_view, 5> kDetectionNmeaMarkers = {"$GP", "$GN", "$GL", "$GB",
                                                                   "$BD"};
constexpr std::string_view kSirfStart{"\xA0\xA2", 2};
constexpr std::string_view kSirfEnd{"\xB0\xB3", 2};

std::string OpenText(const std::string& port, uint32_t rate) {
    return "Open (" + port + "," + std::to_string(rate) + " bps)";
}

// What the memo says the search found the receiver speaking.
std::string_view EvidenceName(RateEvidence evidence) {
    switch (evidence) {
        case RateEvidence::Nmea:
            return "NMEA";
        case RateEvidence::SirfBinary:
            return "SiRF binary";
        case RateEvidence::OtherBinary:
            return "binary frames";
        case RateEvidence::None:
            break;
    }
    return "nothing";
}

std::string TenthsOfSecond(uint32_t ms) {
    return std::to_string(ms / 1000) + "." + std::to_string(ms % 1000 / 100);
}

}  // namespace

std::string ConnectionErrorText(const std::string& portName, const PortOpenResult& result) {
    std::string text = portName + " Connection Error !";
    switch (result.Error) {
        case PortOpenError::PermissionDenied:
            text +=
                "\r\n\r\nPermission denied: this user may not open the port. The usual remedy is "
                "membership of the group that owns the device (often \"dialout\"): "
                "sudo usermod -aG dialout $USER, then log in again.";
            break;
        case PortOpenError::NotFound:
            text += "\r\n\r\nThe port does not exist (the receiver may have been unplugged).";
            break;
        case PortOpenError::Busy:
            text += "\r\n\r\nThe port is in use by another program.";
            break;
        case PortOpenError::None:
        case PortOpenError::Other:
            break;
    }
    if (!result.Detail.empty()) text += "\r\n(" + result.Detail + ")";
    return text;
}

ConnectionControl::ConnectionControl(SharedState& shared, ReceiverState& receiver,
                                     ReceiverPort& port, ReceiveDispatcher& dispatcher,
                                     Clock& clock, Scheduler& scheduler, UserPrompts& prompts)
    : shared_(shared),
      receiver_(receiver),
      port_(port),
      dispatcher_(dispatcher),
      clock_(clock),
      prompts_(prompts),
      commonEnd_(scheduler),
      reconnect_(scheduler) {
    dispatcher_.SetController(this);
}

void ConnectionControl::DisconnectLink() {
    if (shared_.PortOpen) ToggleConnection();
}

void ConnectionControl::SetStatus(ConnectionStatusItem item, std::string text) {
    const auto index = static_cast<std::size_t>(item);
    if (index >= status_.Texts.size()) return;  // not a text: SetPortOpenLook
    status_.Texts[index] = std::move(text);
    for (ConnectionListener* listener : listeners_) listener->OnConnectionStatusChanged(item);
}

void ConnectionControl::SetPortOpenLook(bool open) {
    status_.PortOpenLook = open;
    for (ConnectionListener* listener : listeners_) {
        listener->OnConnectionStatusChanged(ConnectionStatusItem::PortOpenLook);
    }
}

void ConnectionControl::ViewChanged() {
    for (ConnectionListener* listener : listeners_) listener->OnConnectionViewChanged();
}

void ConnectionControl::Note(std::string_view line) {
    for (ConnectionListener* listener : listeners_) listener->OnConnectionNote(line);
}

bool ConnectionControl::ConnectionHeld() const {
    for (const ConnectionListener* listener : listeners_) {
        if (listener->HoldsConnection()) return true;
    }
    return false;
}

void ConnectionControl::SetShownPort(std::string port) {
    view_.ShownPort = std::move(port);
}

void ConnectionControl::SetShownBaud(std::string baud) {
    view_.ShownBaud = std::move(baud);
}

uint32_t ConnectionControl::ShownRate() const {
    const std::string_view text = Trim(view_.ShownBaud);
    uint32_t rate = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), rate);
    if (error != std::errc{} || end != text.data() + text.size() || rate == 0) return 9600;
    return rate;
}

// --- connect and disconnect ---

void ConnectionControl::ToggleConnection() {
    for (ConnectionListener* listener : listeners_) listener->OnConnectPressed();
    if (ConnectionHeld()) return;

    shared_.AntennaStatusExpected = false;
    shared_.Antenna = AntennaState::Unknown;
    receiver_.FixMode = 0;
    noDataSeconds_ = 0;
    dispatcher_.Counters().RxBytesThisSecond = 0;
    for (ConnectionListener* listener : listeners_) listener->OnConnectionChanging();
    view_.OpenButtonEnabled = false;

    if (shared_.PortOpen) {
        Disconnect();
    } else {
        Connect();
    }
    ViewChanged();

    commonEnd_.After(kCommonEndWaitMs, [this] {
        view_.OpenButtonEnabled = true;
        if (shared_.PortOpen && !view_.PauseButtonEnabled) view_.PauseButtonEnabled = true;
        ViewChanged();
    });
}

void ConnectionControl::Disconnect() {
    view_.OpenButtonHint = "Connect to GPS";
    view_.OpenButtonDown = false;
    CloseReceiverPort();
    shared_.MonitorPaused = false;
    dispatcher_.PauseProcessing();
    view_.PauseButtonEnabled = false;
    // A search still running ends with the connection; the box shows "Auto" again.
    shared_.AutoBaudSearch = false;
    shared_.DetectionActive = false;
    if (autoConnection_) view_.ShownBaud = std::string(kAutoBaudText);
    for (ConnectionListener* listener : listeners_) listener->OnDisconnected();
}

void ConnectionControl::Connect() {
    // 1. Per-connection state.
    shared_.Family = ReceiverFamily::Unknown;
    shared_.ReceiverIdentified = false;
    shared_.IdentificationPending = false;
    shared_.IdentificationAttempts = 0;
    receiver_.SecondsCounter = 0;
    receiver_.FixValid = false;
    for (ConnectionListener* listener : listeners_) listener->OnConnecting();

    // 2. Open at the rate and port the boxes show; "Auto" begins with the first rate it tries.
    autoConnection_ = IsAutoBaudText(view_.ShownBaud);
    autoRateFound_ = false;
    noNmeaSeconds_ = 0;
    noNmeaHintGiven_ = false;
    shared_.AutoBaudSearch = false;
    const uint32_t rate = autoConnection_ ? kAutoBaudRates.front() : ShownRate();
    const std::string portName = view_.ShownPort;
    shared_.PortOpen = OpenReceiverPort(portName, rate);
    if (!shared_.PortOpen) {
        SetStatus(ConnectionStatusItem::PortText, "Connection Fail");
    } else {
        dispatcher_.ClearRxBuffer();
        SetStatus(ConnectionStatusItem::PortText, OpenText(portName, port_.BaudRate()));
        SetPortOpenLook(true);
        shared_.MonitorPaused = false;
        shared_.ReceiverIdentified = false;
        shared_.Family = ReceiverFamily::Unknown;

        // 3. Line states.
        clockSetLatencyMs_ = rate == 9600 ? 80 : 10;
        view_.DtrText = port_.Dtr() ? "DTR:On" : "DTR:Off";
        view_.RtsText = port_.Rts() ? "RTS:On" : "RTS:Off";
    }

    // 4. A fresh receive path.
    dispatcher_.ResetLink();
    receiver_.SecondsCounter = 0;

    // 5. Start processing, or fall back.
    if (shared_.PortOpen) {
        connectedRate_ = rate;
        view_.OpenButtonHint = "Disconnect";
        view_.OpenButtonDown = true;
        dispatcher_.EnableProcessingTimer();
        dispatcher_.SetLinkState(LinkState::Unknown);
        dispatcher_.Counters().DataIndicator = false;
        if (autoConnection_) StartAutoBaudSearch();
    } else {
        view_.OpenButtonHint = "Connect to GPS";
        view_.OpenButtonDown = false;
    }
}

bool ConnectionControl::OpenReceiverPort(const std::string& portName, uint32_t rate) {
    port_.SetPortName(portName);
    port_.SetBaudRate(rate);
    const PortOpenResult result = port_.Open();
    if (result.Ok()) return true;
    prompts_.ShowError(ConnectionErrorText(portName, result));
    port_.Close();
    for (ConnectionListener* listener : listeners_) listener->OnPortOpenFailed();
    return false;
}

void ConnectionControl::CloseReceiverPort() {
    port_.Close();
    dispatcher_.SetLinkState(LinkState::Unknown);
    shared_.PortOpen = false;
    SetStatus(ConnectionStatusItem::PortText, port_.PortName() + " Close");
    SetPortOpenLook(false);
}

void ConnectionControl::ConnectButtonPressed(bool ctrlHeld) {
    ToggleConnection();
    if (!ctrlHeld) return;
    // The bridge driver's requests have no equivalent on a generic serial driver here.
    Note("USB bridge device-control requests are not available for this port; nothing sent");
}

void ConnectionControl::PortRemoved() {
    if (shared_.PortOpen) ToggleConnection();
}

// --- the link's second ---

void ConnectionControl::LinkSecond() {
    ++receiver_.SecondsCounter;
    SetStatus(ConnectionStatusItem::Elapsed,
              SecondsText(static_cast<uint32_t>(receiver_.SecondsCounter)));

    ReceiveCounters& counters = dispatcher_.Counters();
    if (counters.RxBufferLength != 0) {
        noDataSeconds_ = 0;
        reconnectAttempts_ = 0;
        SetStatus(ConnectionStatusItem::NoData, "");
    } else {
        SetStatus(ConnectionStatusItem::NoData, "*");
        if (!BypassNoData && ++noDataSeconds_ > kSilentSecondsBeforeReconnect) {
            noDataSeconds_ = 0;
            if (reconnectAttempts_ < kMaxReconnects) {
                ++reconnectAttempts_;
                ReconnectAfterSilence();
            } else {
                GiveUpSilentLink();
            }
            return;  // the connection changed under this tick
        }
    }

    if (counters.RxBufferLength != 0) HintAtAutoWithoutNmea();
    SetStatus(ConnectionStatusItem::ReceiveRate,
              " Rx(Bps):" + std::to_string(counters.RxBytesThisSecond));
    counters.RxBytesThisSecond = 0;
    counters.RxBufferLength = 0;

    if (shared_.PortOpen && !shared_.MonitorPaused) {
        SetStatus(ConnectionStatusItem::PortText, OpenText(port_.PortName(), port_.BaudRate()));
    }
    dispatcher_.LinkSupervisionSecond();
    for (ConnectionListener* listener : listeners_) listener->OnLinkSecond();
}

void ConnectionControl::HintAtAutoWithoutNmea() {
    // Only a link that stays unrecognised at a rate the user chose: a running detection, a
    // search at "Auto" and a receiver recognised as SiRF binary have their own ways.
    if (autoConnection_ || noNmeaHintGiven_ || shared_.DetectionActive) return;
    if (dispatcher_.State() != LinkState::Unknown) {
        noNmeaSeconds_ = 0;
        return;
    }
    if (++noNmeaSeconds_ < kNoNmeaHintSeconds) return;
    noNmeaHintGiven_ = true;
    const std::string hint = "No NMEA at " + std::to_string(port_.BaudRate()) + " bit/s: try " +
                             std::string(kAutoBaudText);
    SetStatus(ConnectionStatusItem::Detection, hint);
    Note(hint);
}

void ConnectionControl::ReconnectAfterSilence() {
    Note("No data from " + port_.PortName() + ": reconnecting");
    if (shared_.PortOpen) ToggleConnection();
    reconnect_.After(kReconnectWaitMs, [this] {
        if (!shared_.PortOpen) ToggleConnection();
    });
}

void ConnectionControl::GiveUpSilentLink() {
    const std::string portName = port_.PortName();
    if (shared_.PortOpen) ToggleConnection();
    dispatcher_.SetSecondTimerEnabled(false);
    reconnectAttempts_ = 0;
    prompts_.ShowWarning("Can not receive data from " + portName + " !!\r\n\r\n" +
                         "Please change another COM Port and try again !\r\n");
}

// --- stepping baud-rate detection ---

void ConnectionControl::StartSteppingDetection() {
    shared_.AutoBaudSearch = false;
    detectionRates_ = kSteppingRates;
    shared_.DetectionActive = true;
    shared_.DetectionStartTick = clock_.TickMs();
    detectionRateIndex_ = 0;
    detectionRounds_ = 0;
    dispatcher_.SetLinkState(LinkState::BaudDetection);
    SetStatus(ConnectionStatusItem::Detection, "GPS Baud Rate Detection");
}

void ConnectionControl::StartFactoryDetection() {
    shared_.AutoBaudSearch = false;
    detectionRates_ = kSteppingRates;
    shared_.DetectionActive = true;
    shared_.DetectionStartTick = clock_.TickMs();
    detectionRateIndex_ = 0;
    detectionRounds_ = 0;
    dispatcher_.SetLinkState(LinkState::Unknown);
}

void ConnectionControl::DetectionStep() {
    if (dispatcher_.RxBuffer().empty()) return;
    dispatcher_.KeepRxBufferTail(kDetectionKeep);
    const std::string_view buffer = dispatcher_.RxBuffer();

    const auto found = [&](std::string_view marker) { return Contains(buffer, marker); };
    if (std::any_of(kDetectionNmeaMarkers.begin(), kDetectionNmeaMarkers.end(), found)) {
        shared_.DetectionActive = false;
        view_.ShownBaud = std::to_string(port_.BaudRate());
        dispatcher_.SetLinkState(LinkState::Unknown);
        ViewChanged();
        return;
    }
    if (found(kSirfStart) || found(kSirfEnd)) {
        dispatcher_.SetLinkState(LinkState::SirfBinary);
        shared_.DetectionActive = false;
        view_.ShownBaud = std::to_string(port_.BaudRate());
        ViewChanged();
        return;
    }

    StepToNextRate();
}

bool ConnectionControl::StepToNextRate() {
    ++detectionRateIndex_;
    SetStatus(ConnectionStatusItem::Detection, status_.Text(ConnectionStatusItem::Detection) + ".");
    if (detectionRateIndex_ > static_cast<int>(detectionRates_.size())) {
        if (detectionRounds_ > kMaxDetectionRounds) {
            SetStatus(ConnectionStatusItem::Detection, "can not find GPS Data");
            shared_.DetectionActive = false;
            dispatcher_.ClearRxBuffer();
            if (shared_.AutoBaudSearch) {
                shared_.AutoBaudSearch = false;
                Note("can not find GPS Data: nothing understood at any rate from " +
                     port_.PortName());
            }
            if (shared_.PortOpen) ToggleConnection();
            return false;
        }
        SetStatus(ConnectionStatusItem::Detection, "GPS Baud Rate Detection");
        ++detectionRounds_;
        detectionRateIndex_ = 1;
    }
    dispatcher_.ClearRxBuffer();
    port_.SetBaudRate(detectionRates_[static_cast<std::size_t>(detectionRateIndex_ - 1)]);
    return true;
}

// --- the search of a connect at "Auto" ---

void ConnectionControl::StartAutoBaudSearch() {
    detectionRates_ = kAutoBaudRates;
    // The port was opened at the first rate of the list: the search begins there.
    port_.SetBaudRate(detectionRates_.front());
    detectionRateIndex_ = 1;
    detectionRounds_ = 0;
    searchStartMs_ = clock_.TickMs();
    shared_.DetectionActive = true;
    shared_.DetectionStartTick = searchStartMs_;
    shared_.AutoBaudSearch = true;
    trial_.Begin(searchStartMs_);
    dispatcher_.SetLinkState(LinkState::BaudDetection);
    SetStatus(ConnectionStatusItem::Detection, "GPS Baud Rate Detection");
}

void ConnectionControl::OnRateSearchTick(std::string_view chunk) {
    if (!shared_.AutoBaudSearch) return;
    const uint32_t now = clock_.TickMs();
    switch (trial_.OnTick(now, chunk)) {
        case TrialVerdict::Undecided:
            return;
        case TrialVerdict::Found:
            AutoRateFound(trial_.Evidence());
            return;
        case TrialVerdict::Wrong:
            if (StepToNextRate()) trial_.Begin(now);
            return;
    }
}

void ConnectionControl::AutoRateFound(RateEvidence evidence) {
    shared_.AutoBaudSearch = false;
    shared_.DetectionActive = false;
    autoRateFound_ = true;
    const uint32_t rate = port_.BaudRate();
    connectedRate_ = rate;
    clockSetLatencyMs_ = rate == 9600 ? 80 : 10;
    view_.ShownBaud = std::to_string(rate);
    // The receive path starts afresh at the found rate and recognises the link by itself; a SiRF
    // binary receiver is asked about at the next second.
    dispatcher_.ClearRxBuffer();
    dispatcher_.SetLinkState(evidence == RateEvidence::SirfBinary ? LinkState::SirfBinary
                                                                  : LinkState::Unknown);
    SetStatus(ConnectionStatusItem::Detection, "Baud Rate :" + std::to_string(rate) + " (auto)");
    Note("Baud rate found: " + std::to_string(rate) + " bit/s, " +
         std::string(EvidenceName(evidence)) + ", after " +
         TenthsOfSecond(clock_.TickMs() - searchStartMs_) + " s");
    ViewChanged();
}

}  // namespace gnss
