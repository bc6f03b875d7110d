#include "control/restart_verification.h"

#include <cstdio>

#include "nmea/hex_text.h"

namespace gnss {

namespace {

// A command as a reader wants to see it: text without its line ends, binary frames in hex.
std::string Readable(std::string_view wire) {
    bool text = true;
    for (char c : wire) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x80 || (u < 0x20 && c != '\r' && c != '\n')) text = false;
    }
    if (!text) return BinToHex(wire);
    std::string out;
    for (char c : wire) {
        if (c == '\r' || c == '\n') {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += c;
        }
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

std::string Seconds(uint32_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(ms) / 1000.0);
    return text;
}

}  // namespace

std::string_view AckStateName(RestartReport::Ack ack) {
    switch (ack) {
        case RestartReport::Ack::NotExpected:
            return "not expected";
        case RestartReport::Ack::Waiting:
            return "waiting";
        case RestartReport::Ack::Seen:
            return "acknowledged";
        case RestartReport::Ack::Refused:
            return "refused";
        case RestartReport::Ack::Missing:
            return "missing";
    }
    return "";
}

std::string_view RestartOutcomeName(RestartReport::Outcome outcome) {
    switch (outcome) {
        case RestartReport::Outcome::Running:
            return "running";
        case RestartReport::Outcome::FixAgain:
            return "fix again";
        case RestartReport::Outcome::FixKept:
            return "fix kept";
        case RestartReport::Outcome::NoFix:
            return "no fix";
        case RestartReport::Outcome::NotSent:
            return "not sent";
        case RestartReport::Outcome::WriteFailed:
            return "write failed";
        case RestartReport::Outcome::LinkLost:
            return "link lost";
    }
    return "";
}

bool RestartReport::Succeeded() const {
    const bool acknowledged = Acknowledgement == Ack::NotExpected || Acknowledgement == Ack::Seen;
    return acknowledged && (Result == Outcome::FixAgain || Result == Outcome::FixKept);
}

std::string RestartReport::SummaryLine() const {
    std::string line = "  <";
    line += RestartKindTitle(Kind);
    line += ' ';
    line += RestartTag(Kind);
    line += ": ";
    if (Result == Outcome::NotSent) return line + "not available for this receiver>";
    const std::string command = Readable(WireBytes);
    line += command.empty() ? "nothing to send for this family" : "wrote " + command;
    if (Result == Outcome::WriteFailed) return line + ", the port refused it>";
    switch (Acknowledgement) {
        case Ack::NotExpected:
            line += "; no acknowledgement from this family";
            break;
        case Ack::Waiting:
            line += "; acknowledgement awaited";
            break;
        case Ack::Seen:
            line +=
                "; acknowledged by " + AckMarker + " after " + std::to_string(AckDelayMs) + " ms";
            break;
        case Ack::Refused:
            line += "; REFUSED by the receiver";
            break;
        case Ack::Missing:
            line += "; NO acknowledgement within 5 s";
            break;
    }
    if (!FixBefore) {
        line += "; no fix before the restart";
    } else {
        line += FixDropped ? "; fix dropped" : "; fix not dropped";
    }
    switch (Result) {
        case Outcome::FixAgain:
            line += "; fix again after " + Seconds(FixAgainMs);
            break;
        case Outcome::FixKept:
            line += "; fix kept";
            break;
        case Outcome::NoFix:
            line += "; NO fix within the time limit";
            break;
        case Outcome::LinkLost:
            line += "; link lost";
            break;
        default:
            break;
    }
    return line + ">";
}

RestartVerification::RestartVerification(const ReceiverRestart& restart, const SharedState& shared,
                                         const ReceiverState& receiver, Clock& clock,
                                         MonitorOutput& output)
    : restart_(restart), shared_(shared), receiver_(receiver), clock_(clock), output_(output) {}

void RestartVerification::Memo(std::string_view text) {
    std::string line(RestartKindTitle(report_.Kind));
    line += ": ";
    line += text;
    output_.AddDebugLine(line);
}

uint32_t RestartVerification::SinceCommand() const {
    return clock_.TickMs() - commandTickMs_;  // wraps like the tick counter
}

void RestartVerification::OnRestartArmed(RestartKind kind) {
    report_ = RestartReport{};
    report_.Kind = kind;
    report_.Family = shared_.Family;
    report_.FixBefore = receiver_.FixValid;
    const RestartTarget target = restart_.Target();
    markers_ = RestartAckMarkersFor(target);
    const bool framesAck =
        target.Family == ReceiverFamily::ublox || target.Family == ReceiverFamily::HED;
    // The ST factory sequence pauses the link and drops what the receiver says while it boots
    // (its version texts, the acknowledgement of the other restarts): the fix tells instead.
    const bool stFactory = target.Family == ReceiverFamily::ST && kind == RestartKind::Factory;
    const bool expectsAck =
        !stFactory && (framesAck || !markers_.Texts.empty() || markers_.FirstLineWithoutFix);
    report_.Acknowledgement =
        expectsAck ? RestartReport::Ack::Waiting : RestartReport::Ack::NotExpected;
    commandTickMs_ = clock_.TickMs();
}

void RestartVerification::OnRestartRefused(RestartKind kind, const RestartCommand&) {
    report_.Kind = kind;
    report_.Acknowledgement = RestartReport::Ack::NotExpected;
    Memo("not available for this receiver; nothing was sent");
    Finish(RestartReport::Outcome::NotSent);
}

void RestartVerification::OnRestartCommandWritten(RestartKind, const RestartCommand&,
                                                  std::string_view wireBytes, bool written) {
    commandTickMs_ = clock_.TickMs();
    report_.WireBytes = std::string(wireBytes);
    report_.CommandWritten = written;
    const std::string readable = Readable(wireBytes);
    if (!written) {
        Memo("the port did not take the command");
        Finish(RestartReport::Outcome::WriteFailed);
        return;
    }
    Memo(readable.empty() ? "nothing to send for this family (line end only)"
                          : "command written: " + readable);
    if (report_.Acknowledgement == RestartReport::Ack::NotExpected) {
        Memo("this family does not acknowledge restarts");
    }
    report_.Result = RestartReport::Outcome::Running;
}

void RestartVerification::AckSeen(std::string marker, uint32_t atMs) {
    if (!Running() || report_.Acknowledgement != RestartReport::Ack::Waiting) return;
    report_.Acknowledgement = RestartReport::Ack::Seen;
    report_.AckMarker = std::move(marker);
    report_.AckDelayMs = atMs - commandTickMs_;
    Memo("acknowledged by " + report_.AckMarker + " after " + std::to_string(report_.AckDelayMs) +
         " ms");
}

void RestartVerification::OnLineReceived(std::string_view line) {
    if (!Running() || report_.Acknowledgement != RestartReport::Ack::Waiting) return;
    const std::string_view marker = FindRestartAckMarker(markers_, line);
    if (!marker.empty()) {
        AckSeen("\"" + std::string(marker) + "\"", clock_.TickMs());
    } else if (markers_.FirstLineWithoutFix && !receiver_.FixValid) {
        AckSeen("the first line without fix", clock_.TickMs());
    }
}

void RestartVerification::OnRestartAcknowledged(FrameProtocol protocol, uint32_t tickMs) {
    AckSeen(protocol == FrameProtocol::Ubx ? "UBX ACK-ACK" : "HD ACK", tickMs);
}

void RestartVerification::OnRestartRefused(FrameProtocol) {
    if (!Running() || report_.Acknowledgement != RestartReport::Ack::Waiting) return;
    report_.Acknowledgement = RestartReport::Ack::Refused;
    Memo("refused by the receiver (negative acknowledgement)");
}

void RestartVerification::OnSentenceDecoded(SentenceKind, std::string_view) {
    if (Running()) FixChanged();
}

void RestartVerification::FixChanged() {
    if (!receiver_.FixValid) {
        if (!report_.FixDropped) {
            report_.FixDropped = true;
            Memo(report_.FixBefore ? "fix dropped after " + Seconds(SinceCommand())
                                   : "no fix yet (there was none before the restart)");
        }
        return;
    }
    if (report_.FixDropped) {
        report_.FixAgainMs = SinceCommand();
        Memo((report_.FixBefore ? "fix again after " : "first fix after ") +
             Seconds(report_.FixAgainMs));
        Finish(RestartReport::Outcome::FixAgain);
    }
}

void RestartVerification::CheckTime() {
    if (!Running()) return;
    const uint32_t since = SinceCommand();
    if (report_.Acknowledgement == RestartReport::Ack::Waiting && since >= kAckWindowMs) {
        report_.Acknowledgement = RestartReport::Ack::Missing;
        Memo("no acknowledgement within 5 s");
    }
    const uint32_t settle = report_.Kind == RestartKind::Hot ? kHotSettleMs : kSettleMs;
    if (!report_.FixDropped && receiver_.FixValid && since > settle &&
        report_.Acknowledgement != RestartReport::Ack::Waiting) {
        Memo("fix kept: not dropped within " + Seconds(settle));
        Finish(RestartReport::Outcome::FixKept);
        return;
    }
    if (since >= fixTimeoutMs_) {
        Memo("no fix within " + Seconds(fixTimeoutMs_));
        Finish(RestartReport::Outcome::NoFix);
    }
}

void RestartVerification::OnDisconnected() {
    if (!Running()) return;
    Memo("link lost");
    Finish(RestartReport::Outcome::LinkLost);
}

void RestartVerification::Finish(RestartReport::Outcome outcome) {
    if (report_.Acknowledgement == RestartReport::Ack::Waiting) {
        report_.Acknowledgement = RestartReport::Ack::Missing;
    }
    report_.Result = outcome;
    output_.AddEchoLine(report_.SummaryLine());
    if (listener_ != nullptr) listener_->OnRestartVerified(report_);
}

}  // namespace gnss
