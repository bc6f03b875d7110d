#include "ui/corrections_panel_widget.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/ui_style.h"

namespace gnss::ui {

namespace {

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Hex(uint32_t rgb) {
    return QString("#%1").arg(rgb, 6, 16, QChar('0'));
}

QLabel* ValueLabel(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setFont(FixedFont(9));
    label->setMinimumWidth(90);
    return label;
}

}  // namespace

CorrectionsPanelWidget::CorrectionsPanelWidget(QWidget* parent) : QWidget(parent) {
    setObjectName("plRTCM");
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 2, 0, 0);
    outer->setSpacing(2);
    auto* body = new QHBoxLayout;
    outer->addLayout(body);

    auto* lines = new QGridLayout;
    link_ = new QCheckBox(Text(kLinkCheckBoxCaption), this);
    link_->setObjectName("ck_Ntrip_TCPIP");
    connect(link_, &QCheckBox::clicked, this, &CorrectionsPanelWidget::LinkToggled);
    lines->addWidget(link_, 0, 0, 1, 2);
    status_ = new QLabel(this);
    status_->setObjectName("lbl_fnRTCM");
    status_->setMinimumWidth(210);
    status_->setAlignment(Qt::AlignCenter);
    lines->addWidget(status_, 1, 0, 1, 2);
    seconds_ = ValueLabel("lbl_RTCM_Sec", this);
    size_ = ValueLabel("lbl_RTCM_Size", this);
    step_ = ValueLabel("lbl_RTCM_Log", this);
    const std::pair<const char*, QLabel*> rows[] = {
        {"Seconds:", seconds_}, {"Bytes (s, total):", size_}, {"Step (ms):", step_}};
    int row = 2;
    for (const auto& [caption, label] : rows) {
        lines->addWidget(new QLabel(tr(caption), this), row, 0);
        lines->addWidget(label, row, 1);
        ++row;
    }
    client_ = new QPushButton(tr("NTRIP client..."), this);
    client_->setObjectName("btnNtripClient");
    connect(client_, &QPushButton::clicked, this, &CorrectionsPanelWidget::NtripClientClicked);
    lines->addWidget(client_, row, 0, 1, 2);
    lines->setRowStretch(row + 1, 1);
    body->addLayout(lines);

    auto* right = new QVBoxLayout;
    types_ = new QTableWidget(0, 3, this);
    types_->setObjectName("xgRTCMTypes");
    types_->setHorizontalHeaderLabels({tr("Type"), tr("Message"), tr("Frames")});
    types_->verticalHeader()->setVisible(false);
    types_->horizontalHeader()->setStretchLastSection(true);
    types_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    types_->setSelectionMode(QAbstractItemView::NoSelection);
    types_->setFont(FixedFont(9));
    types_->setColumnWidth(0, 60);
    types_->setColumnWidth(1, 170);
    types_->setMinimumHeight(120);
    right->addWidget(types_);
    station_ = new QLabel(this);
    station_->setObjectName("lblRTCMStation");
    frames_ = new QLabel(this);
    frames_->setObjectName("lblRTCMFrames");
    right->addWidget(station_);
    right->addWidget(frames_);
    body->addLayout(right, 1);

    auto* bar = new QHBoxLayout;
    bar->setSpacing(2);
    const int widths[] = {200, 120, 0};
    for (int i = 0; i < 3; ++i) {
        bar_[i] = new QLabel(this);
        bar_[i]->setObjectName(QString("sbar_RTCM_%1").arg(i));
        bar_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (widths[i] > 0) bar_[i]->setMinimumWidth(widths[i]);
        bar->addWidget(bar_[i], widths[i] > 0 ? 0 : 1);
    }
    outer->addLayout(bar);
    setVisible(false);
}

void CorrectionsPanelWidget::Refresh(const RtcmPanelView& view) {
    if (view.Visible != isVisible()) setVisible(view.Visible);
    if (!view.Visible) return;
    {
        const QSignalBlocker block(link_);
        link_->setChecked(view.LinkTicked);
    }
    status_->setText(Text(view.StatusText));
    status_->setStyleSheet(
        QString("QLabel { color: %1; background: %2; }")
            .arg(Hex(view.StatusColours.Text), Hex(view.StatusColours.Background)));
    seconds_->setText(Text(view.SecondsText));
    size_->setText(Text(view.SizeText));
    step_->setText(Text(view.StepText));
    station_->setText(Text(view.StationText));
    frames_->setText(Text(view.FramesText));
    types_->setRowCount(static_cast<int>(view.Types.size()));
    for (int i = 0; i < static_cast<int>(view.Types.size()); ++i) {
        const RtcmTypeRow& row = view.Types[static_cast<std::size_t>(i)];
        const QString cells[] = {QString::number(row.MessageType), Text(row.Name),
                                 QString::number(row.Count)};
        for (int column = 0; column < 3; ++column) {
            QTableWidgetItem* item = types_->item(i, column);
            if (item == nullptr) {
                item = new QTableWidgetItem;
                types_->setItem(i, column, item);
            }
            if (item->text() != cells[column]) item->setText(cells[column]);
        }
    }
    for (int i = 0; i < 3; ++i) bar_[i]->setText(Text(view.StatusBar[static_cast<std::size_t>(i)]));
}

}  // namespace gnss::ui
