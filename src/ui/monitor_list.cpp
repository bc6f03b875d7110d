#include "ui/monitor_list.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

#include "ui/ui_style.h"

namespace gnss::ui {

// ---- MonitorListModel ----

MonitorListModel::MonitorListModel(MonitorView& view, QObject* parent)
    : QAbstractListModel(parent), view_(view) {
    view_.TakeChanges();
    rows_ = static_cast<int>(view_.LineCount());
    coloured_ = view_.Coloured();
}

int MonitorListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

QVariant MonitorListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || index.row() >= rows_) return {};
    const auto row = static_cast<std::size_t>(index.row());
    if (row >= view_.LineCount()) return {};
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return QString::fromLatin1(view_.Line(row).data(),
                                       static_cast<qsizetype>(view_.Line(row).size()));
        case kLineColorRole:
            return ToColor(view_.LineColor(row));
        default:
            return {};
    }
}

bool MonitorListModel::Sync() {
    const MonitorViewChanges changes = view_.TakeChanges();
    const int lines = static_cast<int>(view_.LineCount());
    bool changed = false;
    if (changes.Reset) {
        beginResetModel();
        rows_ = lines;
        endResetModel();
        changed = true;
    } else {
        const int removed = std::min(static_cast<int>(changes.RemovedFromTop), rows_);
        if (removed > 0) {
            beginRemoveRows(QModelIndex(), 0, removed - 1);
            rows_ -= removed;
            endRemoveRows();
            changed = true;
        }
        const int appended = lines - rows_;
        if (appended > 0) {
            beginInsertRows(QModelIndex(), rows_, rows_ + appended - 1);
            rows_ = lines;
            endInsertRows();
            changed = true;
        } else if (appended < 0) {
            // The monitor lost lines without saying so: read everything again.
            beginResetModel();
            rows_ = lines;
            endResetModel();
            changed = true;
        }
    }
    if (view_.Coloured() != coloured_) {
        coloured_ = view_.Coloured();
        if (rows_ > 0) emit dataChanged(index(0), index(rows_ - 1), {kLineColorRole});
        changed = true;
    }
    if (changed) emit SelectedLineChanged(static_cast<int>(view_.SelectedLine()));
    return changed;
}

// ---- MonitorLineDelegate ----

void MonitorLineDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const bool selected = option.state & QStyle::State_Selected;
    const QColor background = selected ? option.palette.color(QPalette::Highlight)
                                       : ToColor(MonitorView::kLineBackground);
    painter->fillRect(option.rect, background);
    const QColor text = selected ? option.palette.color(QPalette::HighlightedText)
                                 : index.data(MonitorListModel::kLineColorRole).value<QColor>();
    painter->setPen(text);
    painter->setFont(option.font);
    painter->drawText(option.rect.adjusted(3, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                      index.data(Qt::DisplayRole).toString());
}

QSize MonitorLineDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    const QFontMetrics metrics(option.font);
    // Wide enough for the longest standard sentence (82 characters) and an annotation.
    return {metrics.horizontalAdvance(QLatin1Char('M')) * 100 + 6, metrics.height() + 1};
}

// ---- MonitorListView ----

MonitorListView::MonitorListView(QWidget* parent) : QListView(parent) {
    setObjectName("lbxNMEA");
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true);
    // Uniform rows make a full layout cheap; a batched layout would defer scrolling to the end.
    setLayoutMode(QListView::SinglePass);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setFont(FixedFont(9));
    setItemDelegate(new MonitorLineDelegate(this));
    QPalette colours = palette();
    colours.setColor(QPalette::Base, ToColor(MonitorView::kListBackground));
    colours.setColor(QPalette::Text, ToColor(MonitorView::kPlainText));
    colours.setColor(QPalette::Highlight, QColor(0x26, 0x4F, 0x78));
    colours.setColor(QPalette::HighlightedText, Qt::white);
    setPalette(colours);
}

void MonitorListView::SetMonitorModel(MonitorListModel* model) {
    if (model_ != nullptr) disconnect(model_, nullptr, this, nullptr);
    model_ = model;
    setModel(model);
    if (model_ != nullptr) {
        connect(model_, &MonitorListModel::SelectedLineChanged, this,
                &MonitorListView::FollowSelectedLine);
        // Lines that were there before the view: show the selected one once laid out.
        QTimer::singleShot(0, this, [this] {
            if (model_ != nullptr)
                FollowSelectedLine(static_cast<int>(model_->View().SelectedLine()));
        });
    }
}

void MonitorListView::FollowSelectedLine(int row) {
    if (model_ == nullptr || row < 0 || row >= model_->rowCount()) return;
    // The added line becomes the selected and visible one; a user's multi-line selection
    // is left alone so that it can be copied while lines keep coming.
    if (selectionModel() != nullptr && selectionModel()->selectedRows().size() > 1) return;
    const QModelIndex index = model_->index(row);
    setCurrentIndex(index);
    scrollTo(index, QAbstractItemView::PositionAtBottom);
}

QString MonitorListView::SelectedText() const {
    if (selectionModel() == nullptr) return {};
    QModelIndexList rows = selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList lines;
    lines.reserve(rows.size());
    for (const QModelIndex& index : rows) lines << index.data(Qt::DisplayRole).toString();
    return lines.join(QLatin1Char('\n'));
}

void MonitorListView::CopySelection() const {
    const QString text = SelectedText();
    if (!text.isEmpty()) QApplication::clipboard()->setText(text);
}

void MonitorListView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        CopySelection();
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void MonitorListView::contextMenuEvent(QContextMenuEvent* event) {
    // Shown without a local event loop; the menu deletes itself when closed.
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* copy = menu->addAction(tr("Copy"), this, [this] { CopySelection(); });
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(selectionModel() != nullptr && selectionModel()->hasSelection());
    menu->addAction(tr("Select All"), this, [this] { selectAll(); });
    menu->addSeparator();
    menu->addAction(tr("Clear"), this, [this] { emit ClearRequested(); });
    menu->popup(event->globalPos());
}

}  // namespace gnss::ui
