#include "ui/small_windows.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "ui/artwork.h"
#include "ui/ui_style.h"

namespace gnss::ui {

namespace {

constexpr int kLogoHeightPx = 30;
constexpr int kLogoIconPx = 22;
constexpr int kLogoPaddingPx = 6;

QFont LogoFont() {
    return SansFont(15, true);
}

int LogoTextWidth() {
    return QFontMetrics(LogoFont())
        .horizontalAdvance(QString::fromUtf8(kLogoText.data(), kLogoText.size()));
}

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

// ---- LogoStrip ----

LogoStrip::LogoStrip(QWidget* parent) : QWidget(parent) {
    setObjectName("ImgLogo");
    setToolTip(Text(kLogoHint));
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setFixedHeight(kLogoHeightPx);
}

QSize LogoStrip::sizeHint() const {
    return {LogoTextWidth() + 2 * (kLogoIconPx + 2 * kLogoPaddingPx) + 2, kLogoHeightPx};
}

QSize LogoStrip::minimumSizeHint() const {
    return {LogoTextWidth() + kLogoIconPx + 3 * kLogoPaddingPx + 2, kLogoHeightPx};
}

void LogoStrip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Qt::black);
    p.setPen(ToColor(kLogoFrameColor));
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(0, 0, -1, -1));

    const int textWidth = LogoTextWidth();
    const bool iconAfter = width() >= sizeHint().width();
    const int contentWidth = textWidth + (iconAfter ? 2 : 1) * (kLogoIconPx + kLogoPaddingPx);
    int x = (width() - contentWidth) / 2;
    const int iconTop = (height() - kLogoIconPx) / 2;
    const QPixmap icon = [this] {
        QPixmap pixmap = ProgramPixmap(kLogoIconPx * devicePixelRatio());
        pixmap.setDevicePixelRatio(devicePixelRatio());
        return pixmap;
    }();
    p.drawPixmap(x, iconTop, icon);
    x += kLogoIconPx + kLogoPaddingPx;
    p.setFont(LogoFont());
    p.setPen(ToColor(kLogoTextColor));
    p.drawText(QRect(x, 0, textWidth + 1, height()), Qt::AlignCenter, Text(kLogoText));
    x += textWidth + kLogoPaddingPx;
    if (iconAfter) p.drawPixmap(x, iconTop, icon);
}

void LogoStrip::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit Pressed(event->modifiers());
    QWidget::mousePressEvent(event);
}

// ---- AboutBox ----

AboutBox::AboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint) {
    setObjectName("TVaroAboutBox");
    setModal(false);
    setSizeGripEnabled(false);

    auto* iconLabel = new QLabel(this);
    QPixmap icon = ProgramPixmap(72 * devicePixelRatio());
    icon.setDevicePixelRatio(devicePixelRatio());
    iconLabel->setPixmap(icon);
    iconLabel->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    iconLabel->setFixedWidth(88);

    title_ = new QLabel(this);
    title_->setFont(SansFont(15, true));
    version_ = new QLabel(this);
    version_->setFont(SansFont(10));
    description_ = new QLabel(this);
    description_->setFont(SansFont(9));
    description_->setWordWrap(true);
    link_ = new QLabel(this);
    link_->setFont(SansFont(9));
    link_->setTextFormat(Qt::RichText);
    link_->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    link_->setOpenExternalLinks(false);
    connect(link_, &QLabel::linkActivated, this, &AboutBox::LinkActivated);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(6);
    texts->addWidget(title_);
    texts->addWidget(version_);
    texts->addSpacing(6);
    texts->addWidget(description_);
    texts->addWidget(link_);
    texts->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addWidget(iconLabel);
    top->addLayout(texts, 1);

    auto* buttons = new QDialogButtonBox(this);
    close_ = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    close_->setDefault(true);
    connect(close_, &QPushButton::clicked, this, [this] {
        hide();
        emit Closed();
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addLayout(top, 1);
    layout->addWidget(buttons);
    ApplyTexts();
    setFixedSize(420, 230);
}

void AboutBox::ApplyTexts() {
    const AboutBoxTexts texts = AboutBoxContents();
    setWindowTitle(QString::fromStdString(texts.Caption));
    title_->setText(QString::fromStdString(texts.Title));
    version_->setText(QString::fromStdString(texts.VersionLine));
    description_->setText(QString::fromStdString(texts.Description));
    link_->setText(QStringLiteral("<a href=\"%1\">%2</a>")
                       .arg(QString::fromStdString(texts.LinkAddress).toHtmlEscaped(),
                            QString::fromStdString(texts.LinkText).toHtmlEscaped()));
    close_->setText(QString::fromStdString(texts.CloseButton));
}

QString AboutBox::TitleText() const {
    return title_->text();
}
QString AboutBox::VersionText() const {
    return version_->text();
}

void AboutBox::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) ApplyTexts();
    QDialog::changeEvent(event);
}

void AboutBox::ShowCentredOn(const QWidget* owner) {
    ApplyTexts();
    if (owner != nullptr) {
        const QRect frame = owner->frameGeometry();
        move(frame.center() - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
    activateWindow();
}

// ---- PortEventWindow ----

PortEventWindow::PortEventWindow(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setObjectName("PortEventWindow");
    setWindowTitle(Text(PortEventLog::kCaption));
    list_ = new QListWidget(this);
    list_->setFont(FixedFont(9));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(list_);
    resize(280, 150);
}

void PortEventWindow::Refresh(const PortEventLog& log, const QWidget* owner) {
    const auto& lines = log.Lines();
    const bool same = list_->count() == static_cast<int>(lines.size()) &&
                      (lines.empty() || list_->item(list_->count() - 1)->text() ==
                                            QString::fromStdString(lines.back()));
    if (!same) {
        list_->clear();
        for (const std::string& line : lines) list_->addItem(QString::fromStdString(line));
    }
    if (log.Selected() >= 0) {
        list_->setCurrentRow(log.Selected());
        list_->scrollToItem(list_->currentItem());
    }
    if (!log.Visible()) {
        hide();
        return;
    }
    if (!placed_ && owner != nullptr) {
        const QRect frame = owner->frameGeometry();
        move(frame.right() - width() - 24, frame.top() + 90);
        placed_ = true;
    }
    show();
}

}  // namespace gnss::ui
