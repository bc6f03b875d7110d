#include "ui/command_panel_widget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include "ui/ui_style.h"

namespace gnss::ui {

namespace {
QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
}  // namespace

CommandPanelWidget::CommandPanelWidget(const CommandPanel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    setObjectName("Panel7");
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);

    box_ = new QComboBox(this);
    box_->setObjectName("cbCOMMAND");
    box_->setEditable(true);
    box_->setInsertPolicy(QComboBox::NoInsert);
    box_->setFont(FixedFont(9));
    box_->setToolTip(
        tr("Receiver command: text such as $PMTK101 (checksum added), or "
           "HEXCMD: followed by hex bytes"));
    box_->lineEdit()->setPlaceholderText(tr("command, e.g. $PMTK605 or HEXCMD:B5620A040000"));
    box_->lineEdit()->installEventFilter(this);
    box_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(box_, &QComboBox::editTextChanged, this, &CommandPanelWidget::TextEdited);
    layout->addWidget(box_, 1);

    noChecksum_ = new QCheckBox(Text(CommandPanel::kNoChecksumCaption), this);
    noChecksum_->setObjectName("ckNoCK");
    connect(noChecksum_, &QCheckBox::toggled, this, &CommandPanelWidget::NoChecksumToggled);
    layout->addWidget(noChecksum_);
    crLf_ = new QCheckBox(Text(CommandPanel::kCrLfCaption), this);
    crLf_->setObjectName("ck_CRLF");
    connect(crLf_, &QCheckBox::toggled, this, &CommandPanelWidget::CrLfToggled);
    layout->addWidget(crLf_);

    send_ = new QPushButton(Text(CommandPanel::kSendCaption), this);
    send_->setObjectName("btnCMDSend");
    connect(send_, &QPushButton::clicked, this, &CommandPanelWidget::SendPressed);
    layout->addWidget(send_);
    Refresh();
}

bool CommandPanelWidget::eventFilter(QObject* watched, QEvent* event) {
    if (watched == box_->lineEdit() && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            emit EnterPressed();
            return true;
        }
    }
    if (watched == box_->lineEdit() && event->type() == QEvent::MouseButtonDblClick) {
        return true;  // a double click in the box does nothing
    }
    return QWidget::eventFilter(watched, event);
}

void CommandPanelWidget::Refresh() {
    setVisible(model_.Visible());
    box_->setEnabled(model_.Enabled());
    send_->setEnabled(model_.Enabled());
    noChecksum_->setVisible(model_.OptionsVisible());
    crLf_->setVisible(model_.OptionsVisible());
    {
        const QSignalBlocker blockBox(box_);
        const QSignalBlocker blockNo(noChecksum_);
        const QSignalBlocker blockCr(crLf_);
        const auto& history = model_.History();
        if (history.size() != historyShown_ ||
            (box_->count() > 0 && box_->itemText(0) != Text(history.front()))) {
            box_->clear();
            for (const std::string& entry : history) box_->addItem(Text(entry));
            historyShown_ = history.size();
        }
        const QString text = Text(model_.EditText());
        if (box_->currentText() != text) box_->setEditText(text);
        noChecksum_->setChecked(model_.NoChecksum());
        crLf_->setChecked(model_.CrLf());
    }
    if (model_.FocusRequests() != focusRequestsSeen_) {
        focusRequestsSeen_ = model_.FocusRequests();
        box_->setFocus();
    }
}

}  // namespace gnss::ui
