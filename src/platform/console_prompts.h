#pragma once

#include <cstdio>
#include <string>

#include "base/user_prompts.h"

namespace gnss {

// User prompts of the command-line program: messages go to the error stream; Yes/No questions
// are answered by a policy fixed at construction, so a script never waits on a question.
class ConsolePrompts final : public UserPrompts {
  public:
    enum class Policy {
        AlwaysNo,
        AlwaysYes,
        // Ask on the terminal when the input is one; otherwise answer No without reading.
        AskTerminal,
    };

    explicit ConsolePrompts(Policy policy, std::FILE* out = stderr, std::FILE* in = stdin);

    void ShowError(const std::string& message) override;
    void ShowWarning(const std::string& message) override;
    void ShowInfo(const std::string& message) override;
    PromptAnswer ConfirmYesNo(const std::string& message) override;

  private:
    void Print(const char* prefix, const std::string& message);

    Policy policy_;
    std::FILE* out_;
    std::FILE* in_;
};

}  // namespace gnss
