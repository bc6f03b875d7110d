#pragma once

#include <QPointer>
#include <QWidget>

#include "base/file_dialogs.h"
#include "base/user_prompts.h"

namespace gnss::ui {

// Message boxes of the window program, modal to the main window.
class QtPrompts final : public UserPrompts {
  public:
    void SetParent(QWidget* parent) { parent_ = parent; }
    void ShowError(const std::string& message) override;
    void ShowWarning(const std::string& message) override;
    void ShowInfo(const std::string& message) override;
    PromptAnswer ConfirmYesNo(const std::string& message) override;

  private:
    QPointer<QWidget> parent_;
};

// The toolkit's save dialog.
class QtFileDialogs final : public FileDialogs {
  public:
    void SetParent(QWidget* parent) { parent_ = parent; }
    std::optional<std::string> ChooseSaveFile(const std::string& proposedName,
                                              const std::string& filter,
                                              const std::string& defaultExtension,
                                              const std::string& initialFolder) override;
    std::optional<std::string> ChooseOpenFile(const std::string& filter,
                                              const std::string& initialFolder) override;

  private:
    QPointer<QWidget> parent_;
};

// "Text File (*.txt)|*.txt|Other (*.*)|*.*" -> "Text File (*.txt);;Other (*.*)".
[[nodiscard]] QString ToolkitFilter(const std::string& filter);

}  // namespace gnss::ui
