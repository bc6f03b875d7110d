#include "ui/ntrip_client_dialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/ui_style.h"

namespace gnss::ui {

namespace {

QLineEdit* Field(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

std::string Std(const QLineEdit* edit) {
    return edit->text().trimmed().toStdString();
}

}  // namespace

NtripClientDialog::NtripClientDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("dlgNtripClient");
    setWindowTitle(tr("NTRIP client"));
    setModal(false);
    auto* outer = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    host_ = Field("edCasterHost", this);
    port_ = new QSpinBox(this);
    port_->setObjectName("seCasterPort");
    port_->setRange(1, 65535);
    mount_ = Field("edMountPoint", this);
    user_ = Field("edUser", this);
    password_ = Field("edPassword", this);
    password_->setEchoMode(QLineEdit::Password);
    sendPosition_ = new QCheckBox(tr("Send my position to the caster (network RTK)"), this);
    sendPosition_->setObjectName("ckSendPosition");
    remember_ = new QCheckBox(tr("Remember the password (stored in the settings file)"), this);
    remember_->setObjectName("ckRememberPassword");
    program_ = Field("edNtripProgram", this);
    program_->setToolTip(tr("The NTRIP client program: str2str of RTKLIB, or its full path"));
    form->addRow(tr("Caster host:"), host_);
    form->addRow(tr("Caster port:"), port_);
    form->addRow(tr("Mount point:"), mount_);
    form->addRow(tr("User:"), user_);
    form->addRow(tr("Password:"), password_);
    form->addRow(QString(), sendPosition_);
    form->addRow(QString(), remember_);
    form->addRow(tr("Program:"), program_);
    outer->addLayout(form);

    state_ = new QLabel(this);
    state_->setObjectName("lblNtripState");
    output_ = new QLabel(this);
    output_->setObjectName("lblNtripOutput");
    output_->setFont(FixedFont(8));
    output_->setWordWrap(true);
    outer->addWidget(state_);
    outer->addWidget(output_);

    auto* buttons = new QHBoxLayout;
    start_ = new QPushButton(tr("Start"), this);
    start_->setObjectName("btnNtripStart");
    stop_ = new QPushButton(tr("Stop"), this);
    stop_->setObjectName("btnNtripStop");
    auto* close = new QPushButton(tr("Close"), this);
    buttons->addStretch(1);
    buttons->addWidget(start_);
    buttons->addWidget(stop_);
    buttons->addWidget(close);
    outer->addLayout(buttons);
    connect(start_, &QPushButton::clicked, this, &NtripClientDialog::StartClicked);
    connect(stop_, &QPushButton::clicked, this, &NtripClientDialog::StopClicked);
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
    setMinimumWidth(420);
}

void NtripClientDialog::Load(const NtripClientSettings& settings) {
    host_->setText(QString::fromStdString(settings.CasterHost));
    port_->setValue(settings.CasterPort);
    mount_->setText(QString::fromStdString(settings.MountPoint));
    user_->setText(QString::fromStdString(settings.User));
    password_->setText(QString::fromStdString(settings.Password));
    sendPosition_->setChecked(settings.SendPosition);
    remember_->setChecked(settings.RememberPassword);
    program_->setText(QString::fromStdString(settings.ProgramPath));
}

NtripClientSettings NtripClientDialog::Fields() const {
    NtripClientSettings settings;
    settings.CasterHost = Std(host_);
    settings.CasterPort = static_cast<uint16_t>(port_->value());
    settings.MountPoint = Std(mount_);
    settings.User = Std(user_);
    settings.Password = password_->text().toStdString();
    settings.SendPosition = sendPosition_->isChecked();
    settings.RememberPassword = remember_->isChecked();
    settings.ProgramPath = Std(program_);
    if (settings.ProgramPath.empty()) settings.ProgramPath = std::string(kDefaultNtripProgram);
    return settings;
}

void NtripClientDialog::ShowState(const std::string& state, const std::string& output,
                                  bool running) {
    state_->setText(tr("State: %1").arg(QString::fromStdString(state)));
    output_->setText(QString::fromStdString(output));
    start_->setEnabled(!running);
    stop_->setEnabled(running);
}

}  // namespace gnss::ui
