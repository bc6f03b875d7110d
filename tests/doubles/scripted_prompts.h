#pragma once

#include <deque>
#include <string>
#include <vector>

#include "base/user_prompts.h"

namespace gnss::testing {

// Records every message and answers Yes/No questions from a script (No when it runs out).
class ScriptedPrompts final : public UserPrompts {
  public:
    enum class Kind { Error, Warning, Info, Question };
    struct Shown {
        Kind kind;
        std::string text;
    };

    void ShowError(const std::string& message) override { shown.push_back({Kind::Error, message}); }
    void ShowWarning(const std::string& message) override {
        shown.push_back({Kind::Warning, message});
    }
    void ShowInfo(const std::string& message) override { shown.push_back({Kind::Info, message}); }
    PromptAnswer ConfirmYesNo(const std::string& message) override {
        shown.push_back({Kind::Question, message});
        if (answers.empty()) return PromptAnswer::No;
        const PromptAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::deque<PromptAnswer> answers;
    std::vector<Shown> shown;
};

}  // namespace gnss::testing
