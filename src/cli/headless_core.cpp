#include "cli/headless_core.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "cli/cli_commands.h"
#include "nmea/text_fields.h"

namespace gnss::cli {

HeadlessCore::HeadlessCore()
    : core_(std::make_unique<AppCore>(AppServices{port_, clock_, scheduler_, prompts_, dialogs_,
                                                  ports_, desktop_, clockSetter_,
                                                  std::filesystem::temp_directory_path(), true})) {
    core_->Start();
}

HeadlessCore::~HeadlessCore() {
    if (core_->Shared().PortOpen) core_->ToolButtonClicked(ToolButton::Connect, false);
}

bool HeadlessCore::Connect(const std::string& portName, const std::string& baud) {
    core_->PortTextChanged(portName);
    core_->BaudRateChosen(baud);
    core_->ToolButtonClicked(ToolButton::Connect, false);
    return core_->Shared().PortOpen;
}

bool HeadlessCore::RunUntil(const std::function<bool()>& done, uint32_t timeoutMs) {
    QElapsedTimer elapsed;
    elapsed.start();
    // The program's one event loop runs in slices; the condition is checked between them.
    while (!done()) {
        if (elapsed.elapsed() >= timeoutMs) return false;
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

std::vector<std::string> HeadlessCore::TakeNewMemoLines() {
    const auto& lines = core_->Memo.Lines();
    const DebugMemo::Changes changes = core_->Memo.TakeChanges();
    const std::size_t count = std::min(changes.Appended, lines.size());
    return {lines.end() - static_cast<std::ptrdiff_t>(count), lines.end()};
}

std::optional<ReceiverFamily> FamilyByName(std::string_view name) {
    const std::string wanted = ToUpperAscii(name);
    for (int value = 0; value < kReceiverFamilyCount; ++value) {
        const auto family = static_cast<ReceiverFamily>(value);
        if (ToUpperAscii(FamilyDisplayName(family)) == wanted) return family;
    }
    return std::nullopt;
}

}  // namespace gnss::cli
