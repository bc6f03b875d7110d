#include "ui/epo_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace gnss::ui {

namespace {

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString ColourName(EpoRgb rgb) {
    return QStringLiteral("#%1").arg(rgb, 6, 16, QLatin1Char('0'));
}

}  // namespace

EpoWindow::EpoWindow(const EpoAssistant& model, QWidget* parent) : QDialog(parent), model_(model) {
    setObjectName("fmEPO");
    setWindowTitle(Text(EpoWindowView::kCaption));
    setWindowModality(Qt::ApplicationModal);

    update_ = new QPushButton(tr("Update"), this);
    update_->setObjectName("btnUpdate");
    fromFile_ = new QPushButton(tr("From file..."), this);
    fromFile_->setObjectName("btnFromFile");
    servers_ = new QPushButton(tr("Servers..."), this);
    servers_->setObjectName("btnServers");
    cancel_ = new QPushButton(tr("Cancel"), this);
    cancel_->setObjectName("btnCancel");
    close_ = new QPushButton(tr("Close"), this);
    close_->setObjectName("btnClose");
    easyOff_ = new QPushButton(tr("off"), this);
    easyOff_->setObjectName("btnEasyOff");
    easyOff_->setToolTip(tr("Turn off EASY"));
    epoI_ = new QCheckBox(tr("EPO"), this);
    epoI_->setObjectName("ckEPO");
    epoI_->setToolTip(tr("for MTK-3329 use only"));
    period_ = new QLabel(this);
    period_->setObjectName("lblEPOSec");
    validity_ = new QLabel(this);
    validity_->setObjectName("lblEPOddhh");
    easy_ = new QLabel(this);
    easy_->setObjectName("lbl_EASY_Status");
    activity_ = new QLabel(this);
    activity_->setObjectName("lblActivity");
    elapsed_ = new QLabel(this);
    elapsed_->setObjectName("lblElapsed");
    gauge_ = new QProgressBar(this);
    gauge_->setObjectName("ggEPO");
    gauge_->setTextVisible(false);
    gauge_->setFixedHeight(12);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {update_, fromFile_, servers_, cancel_, close_}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    auto* validityRow = new QHBoxLayout;
    validityRow->addWidget(validity_, 1);
    validityRow->addWidget(period_);
    auto* easyRow = new QHBoxLayout;
    easyRow->addWidget(easy_, 1);
    easyRow->addWidget(easyOff_);
    easyRow->addWidget(epoI_);
    auto* gaugeRow = new QHBoxLayout;
    gaugeRow->addWidget(gauge_, 1);
    gaugeRow->addWidget(elapsed_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    layout->addLayout(buttons);
    layout->addLayout(validityRow);
    layout->addLayout(easyRow);
    layout->addWidget(activity_);
    layout->addLayout(gaugeRow);
    setFixedWidth(430);

    connect(update_, &QPushButton::clicked, this, &EpoWindow::UpdateClicked);
    connect(fromFile_, &QPushButton::clicked, this, &EpoWindow::ChooseFile);
    connect(servers_, &QPushButton::clicked, this, &EpoWindow::ServersClicked);
    connect(cancel_, &QPushButton::clicked, this, &EpoWindow::CancelClicked);
    connect(close_, &QPushButton::clicked, this, &EpoWindow::CloseRequested);
    connect(easyOff_, &QPushButton::clicked, this, &EpoWindow::EasyOffClicked);
    connect(epoI_, &QCheckBox::toggled, this, &EpoWindow::EpoIToggled);
    Refresh();
}

void EpoWindow::Refresh() {
    const EpoWindowView& view = model_.View();
    period_->setText(Text(view.PeriodText));
    validity_->setText(Text(view.ValidityText));
    easy_->setText(Text(view.EasyText));
    activity_->setText(Text(view.ActivityText));
    elapsed_->setText(Text(view.ElapsedText));
    for (QPushButton* button : {update_, fromFile_, servers_, close_}) {
        button->setEnabled(view.ButtonsEnabled);
    }
    cancel_->setEnabled(view.CancelEnabled);
    if (epoI_->isChecked() != view.EpoIChecked) {
        const QSignalBlocker quiet(epoI_);
        epoI_->setChecked(view.EpoIChecked);
    }
    gauge_->setVisible(view.GaugeVisible);
    gauge_->setMaximum(static_cast<int>(view.GaugeMax));
    gauge_->setValue(static_cast<int>(view.GaugePosition));
    gauge_->setStyleSheet(QStringLiteral("QProgressBar::chunk { background-color: %1; }"
                                         "QProgressBar { border: 1px solid #808080; }")
                              .arg(ColourName(view.GaugeColour)));
    if (view.Visible && !isVisible()) {
        if (parentWidget() != nullptr) {
            const QRect owner = parentWidget()->frameGeometry();
            move(owner.center().x() - width() / 2, owner.top() + 80);
        }
        show();
        raise();
    } else if (!view.Visible && isVisible()) {
        hide();
    }
}

void EpoWindow::ChooseFile() {
    auto* dialog = new QFileDialog(this, tr("EPO file"), QString(),
                                   tr("EPO files (*.dat *.DAT *.epo *.EPO);;All files (*)"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    connect(dialog, &QFileDialog::fileSelected, this, &EpoWindow::FromFileChosen);
    dialog->open();
}

void EpoWindow::closeEvent(QCloseEvent* event) {
    event->ignore();  // the model decides when the window goes
    emit CloseRequested();
}

void EpoWindow::reject() {
    emit CloseRequested();
}

AssistServersDialog::AssistServersDialog(const AssistServerAddresses& current, QWidget* parent)
    : QDialog(parent) {
    setObjectName("dlgAssistServers");
    setWindowTitle(tr("Assistance servers"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* form = new QFormLayout;
    for (const AssistServerSlot& slot : kAssistServerSlots) {
        auto* edit = new QLineEdit(Text(current.Address(slot.Id)), this);
        edit->setObjectName(QStringLiteral("ed") + Text(slot.Key));
        edit->setMinimumWidth(360);
        if (!slot.FileUnderBase.empty()) {
            edit->setPlaceholderText(tr("base address + ") + Text(slot.FileUnderBase));
        }
        form->addRow(Text(slot.Label), edit);
        edits_.push_back(edit);
    }
    problem_ = new QLabel(this);
    problem_->setStyleSheet("color: #C62828;");
    auto* ok = new QPushButton(tr("OK"), this);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(problem_);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &AssistServersDialog::TryAccept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void AssistServersDialog::TryAccept() {
    AssistServerAddresses chosen;
    for (std::size_t i = 0; i < edits_.size(); ++i) {
        const std::string text = edits_[i]->text().trimmed().toStdString();
        if (const std::optional<std::string> problem = AddressProblem(text)) {
            problem_->setText(Text(kAssistServerSlots[i].Label) + ": " + Text(*problem));
            edits_[i]->setFocus();
            return;
        }
        chosen.SetAddress(kAssistServerSlots[i].Id, text);
    }
    emit AddressesChosen(chosen);
    accept();
}

}  // namespace gnss::ui
