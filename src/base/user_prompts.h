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

}  // namespace gnss
