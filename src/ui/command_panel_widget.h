#pragma once

#include <QWidget>

#include "views/command_panel.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace gnss::ui {

// `Panel7`, the command panel under the monitor: the editable command box with its history,
// the two options (hidden in the standard layout) and "Send". It paints the CommandPanel model
// and reports edits, Enter and Send; the model decides what is sent.
class CommandPanelWidget : public QWidget {
    Q_OBJECT
  public:
    explicit CommandPanelWidget(const CommandPanel& model, QWidget* parent = nullptr);

    // Repaints from the model: visibility, enabling, history, the box text, the options.
    void Refresh();

    [[nodiscard]] QComboBox* CommandBox() const { return box_; }
    [[nodiscard]] QPushButton* SendButton() const { return send_; }

  signals:
    void TextEdited(const QString& text);
    void EnterPressed();
    void SendPressed();
    void NoChecksumToggled(bool on);
    void CrLfToggled(bool on);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    const CommandPanel& model_;
    QComboBox* box_ = nullptr;
    QCheckBox* noChecksum_ = nullptr;
    QCheckBox* crLf_ = nullptr;
    QPushButton* send_ = nullptr;
    uint64_t focusRequestsSeen_ = 0;
    std::size_t historyShown_ = 0;
};

}  // namespace gnss::ui
