#pragma once

#include <string>

namespace gnss {

enum class PromptAnswer { Yes, No };

// Modal messages the user must see. Texts are shown exactly as given (the program's own texts
// end in " !" as stored). The window program shows message boxes; the command-line program
// prints; tests answer from a script and record what was shown.
class UserPrompts {
  public:
    virtual ~UserPrompts() = default;
    virtual void ShowError(const std::string& message) = 0;
    virtual void ShowWarning(const std::string& message) = 0;
    virtual void ShowInfo(const std::string& message) = 0;
    virtual PromptAnswer ConfirmYesNo(const std::string& message) = 0;
};

// Prompts of a run nobody watches (benchmarks, fuzzing): messages are dropped and every question
// is answered "No".
class UnattendedPrompts final : public UserPrompts {
  public:
    void ShowError(const std::string&) override {}
    void ShowWarning(const std::string&) override {}
    void ShowInfo(const std::string&) override {}
    PromptAnswer ConfirmYesNo(const std::string&) override { return PromptAnswer::No; }
};

}  // namespace gnss
