#include "cli/headless_session.h"

#include <algorithm>

#include <QCoreApplication>
#include <filesystem>

#include "cli/cli_commands.h"
#include "link/receiver_link.h"

namespace gnss::cli {

namespace {

constexpr uint32_t kLineCheckIntervalMs = 1000;

}  // namespace

HeadlessSession::HeadlessSession(std::string saveFile)
    : prompts_(ConsolePrompts::Policy::AlwaysNo),
      dialogs_(std::move(saveFile)),
      watcher_(enumerator_),
      lineCheck_(scheduler_.CreateTimer()),
      noteSink_([](std::string_view line) { PrintErr(QString::fromUtf8(line) + '\n'); }) {
    std::error_code ec;
    const AppServices services{port_,    clock_,       scheduler_,
                               prompts_, dialogs_,     enumerator_,
                               desktop_, clockSetter_, std::filesystem::current_path(ec),
                               false};
    core_ = std::make_unique<AppCore>(services);
    core_->SetAssistNetwork(&downloader_, &network_);
    core_->Start();
    core_->Connection.AddListener(static_cast<ConnectionListener&>(*this));
    QObject::connect(&watcher_, &PortWatcher::PortsChanged, [this] { core_->PortListPolled(); });
    watcher_.WatchDeviceFolder(PortWatcher::kDeviceFolder, PortWatcher::kWatchedPollMs);
    lineCheck_->SetIntervalMs(kLineCheckIntervalMs);
    lineCheck_->OnTimeout = [this] { CheckLineErrors(); };
}

HeadlessSession::~HeadlessSession() {
    Close();
}

bool HeadlessSession::Open(const PortChoice& choice) {
    core_->PortTextChanged(choice.Name);
    core_->Connection.SetShownPort(choice.Name);
    core_->BaudRateChosen(choice.Baud);
    core_->Connection.SetShownBaud(choice.Baud);
    core_->Connection.ConnectButtonPressed(false);
    if (!core_->Shared().PortOpen) return false;
    watcher_.Start();
    lineCheck_->Start();
    return true;
}

void HeadlessSession::Close() {
    if (closed_) return;
    closed_ = true;
    lineCheck_->Stop();
    watcher_.Stop();
    closing_ = true;
    core_->Shutdown({});
    closing_ = false;
}

// A disconnect that the command did not ask for (a silent receiver given up, the device
// removed, the SiRF binary question declined) ends the command with a failure.
void HeadlessSession::OnDisconnected() {
    if (!closing_) End("disconnected from " + port_.PortName());
}

void HeadlessSession::OnConnectionNote(std::string_view line) {
    if (noteSink_) noteSink_(line);
}

// A device that is not in the port list (a pseudo-terminal) is seen to go away by its line
// errors only.
void HeadlessSession::CheckLineErrors() {
    if (!core_->Shared().PortOpen) return;
    const LineErrorReport errors = ReadLineErrors(port_);
    if (errors.IoError) {
        if (noteSink_) noteSink_(port_.PortName() + " " + errors.Text);
        core_->Connection.PortRemoved();
    }
}

void HeadlessSession::End(const std::string& why) {
    if (noteSink_) noteSink_(why);
    exitCode_ = kExitFailure;
    lineCheck_->Stop();
    watcher_.Stop();
    QCoreApplication::exit(kExitFailure);
}

bool HeadlessSession::RunUntil(const std::function<bool()>& done, uint32_t timeoutMs) {
    bool ended = false;
    const bool met = RunEventsUntil(
        [&] {
            ended = closed_ || exitCode_ != 0;
            return ended || done();
        },
        timeoutMs);
    return met && !ended;
}

std::vector<std::string> TakeNewMemoLines(DebugMemo& memo) {
    const auto& lines = memo.Lines();
    const DebugMemo::Changes changes = memo.TakeChanges();
    const std::size_t count = std::min(changes.Appended, lines.size());
    return {lines.end() - static_cast<std::ptrdiff_t>(count), lines.end()};
}

}  // namespace gnss::cli
