#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "base/file_dialogs.h"

namespace gnss::testing {

// Answers save dialogs from a script (cancel when it runs out) and records every request.
class ScriptedFileDialogs final : public FileDialogs {
  public:
    struct Request {
        std::string proposedName;
        std::string filter;
        std::string defaultExtension;
        std::string initialFolder;
    };

    std::optional<std::string> ChooseSaveFile(const std::string& proposedName,
                                              const std::string& filter,
                                              const std::string& defaultExtension,
                                              const std::string& initialFolder) override {
        requests.push_back({proposedName, filter, defaultExtension, initialFolder});
        if (answers.empty()) return std::nullopt;
        std::optional<std::string> answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::deque<std::optional<std::string>> answers;
    std::vector<Request> requests;
};

}  // namespace gnss::testing
