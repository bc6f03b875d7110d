#include "platform/console_prompts.h"

#include <unistd.h>
#include <cctype>
#include <cstring>

namespace gnss {

namespace {

// Messages may carry CR LF line ends (they are also shown in message boxes); a terminal wants
// plain LF.
std::string ForConsole(const std::string& message) {
    std::string text;
    text.reserve(message.size());
    for (std::size_t i = 0; i < message.size(); ++i) {
        if (message[i] == '\r' && i + 1 < message.size() && message[i + 1] == '\n') continue;
        text += message[i];
    }
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

}  // namespace

ConsolePrompts::ConsolePrompts(Policy policy, std::FILE* out, std::FILE* in)
    : policy_(policy), out_(out), in_(in) {}

void ConsolePrompts::Print(const char* prefix, const std::string& message) {
    std::fprintf(out_, "%s%s\n", prefix, ForConsole(message).c_str());
    std::fflush(out_);
}

void ConsolePrompts::ShowError(const std::string& message) {
    Print("error: ", message);
}

void ConsolePrompts::ShowWarning(const std::string& message) {
    Print("warning: ", message);
}

void ConsolePrompts::ShowInfo(const std::string& message) {
    Print("", message);
}

PromptAnswer ConsolePrompts::ConfirmYesNo(const std::string& message) {
    const bool ask = policy_ == Policy::AskTerminal && in_ != nullptr && ::isatty(fileno(in_));
    if (!ask) {
        const PromptAnswer answer =
            policy_ == Policy::AlwaysYes ? PromptAnswer::Yes : PromptAnswer::No;
        std::fprintf(out_, "%s [%s]\n", ForConsole(message).c_str(),
                     answer == PromptAnswer::Yes ? "yes" : "no");
        std::fflush(out_);
        return answer;
    }
    std::fprintf(out_, "%s [y/N] ", ForConsole(message).c_str());
    std::fflush(out_);
    char line[64];
    if (std::fgets(line, sizeof line, in_) == nullptr) return PromptAnswer::No;
    // Leave nothing of an over-long answer for the next question.
    for (int c = 0; std::strchr(line, '\n') == nullptr && c != '\n' && c != EOF;) {
        c = std::fgetc(in_);
    }
    std::size_t i = 0;
    while (line[i] == ' ' || line[i] == '\t') ++i;
    return std::tolower(static_cast<unsigned char>(line[i])) == 'y' ? PromptAnswer::Yes
                                                                    : PromptAnswer::No;
}

}  // namespace gnss
