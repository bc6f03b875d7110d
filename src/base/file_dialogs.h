#pragma once

#include <optional>
#include <string>

namespace gnss {

// File choice by the user. The window program shows the toolkit's dialogs; the command-line
// program answers from its arguments; tests answer from a script.
class FileDialogs {
  public:
    virtual ~FileDialogs() = default;

    // Asks where to save a file. `filter` lists "description|pattern" pairs joined by "|"
    // ("Text File (*.txt)|*.txt|Other type (*.* )|*.*"); `defaultExtension` (without the dot) is
    // added when the user types a name without one. Returns the chosen path, or nothing when the
    // user cancels.
    virtual std::optional<std::string> ChooseSaveFile(const std::string& proposedName,
                                                      const std::string& filter,
                                                      const std::string& defaultExtension,
                                                      const std::string& initialFolder) = 0;
    // Asks which file to open, with the same kind of filter; nothing when the user cancels (and
    // where no dialog can be shown).
    virtual std::optional<std::string> ChooseOpenFile(const std::string& /*filter*/,
                                                      const std::string& /*initialFolder*/) {
        return std::nullopt;
    }
};

}  // namespace gnss
