#include "ui/qt_dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace gnss::ui {

namespace {

QString Text(const std::string& message) {
    QString text = QString::fromStdString(message);
    text.replace("\r\n", "\n");
    return text;
}

QString Title() {
    return QApplication::applicationDisplayName();
}

}  // namespace

void QtPrompts::ShowError(const std::string& message) {
    QMessageBox::critical(parent_, Title(), Text(message));
}

void QtPrompts::ShowWarning(const std::string& message) {
    QMessageBox::warning(parent_, Title(), Text(message));
}

void QtPrompts::ShowInfo(const std::string& message) {
    QMessageBox::information(parent_, Title(), Text(message));
}

PromptAnswer QtPrompts::ConfirmYesNo(const std::string& message) {
    const auto button = QMessageBox::question(parent_, Title(), Text(message),
                                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    return button == QMessageBox::Yes ? PromptAnswer::Yes : PromptAnswer::No;
}

QString ToolkitFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) entries << parts[i].trimmed();
    return entries.join(";;");
}

std::optional<std::string> QtFileDialogs::ChooseSaveFile(const std::string& proposedName,
                                                         const std::string& filter,
                                                         const std::string& defaultExtension,
                                                         const std::string& initialFolder) {
    QFileDialog dialog(parent_, QString(), QString::fromStdString(initialFolder),
                       ToolkitFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The program asks its own overwrite question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setDefaultSuffix(QString::fromStdString(defaultExtension));
    dialog.selectFile(QString::fromStdString(proposedName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return QDir::toNativeSeparators(dialog.selectedFiles().front()).toStdString();
}

std::optional<std::string> QtFileDialogs::ChooseOpenFile(const std::string& filter,
                                                         const std::string& initialFolder) {
    QFileDialog dialog(parent_, QString(), QString::fromStdString(initialFolder),
                       ToolkitFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return QDir::toNativeSeparators(dialog.selectedFiles().front()).toStdString();
}

}  // namespace gnss::ui
