#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <QStyledItemDelegate>

#include "views/monitor_view.h"

namespace gnss::ui {

// The lines of the NMEA monitor as a Qt list model. Sync() takes the monitor's changes since
// the last call and turns them into row removals and insertions, so that a busy second of
// sentences becomes one insertion.
class MonitorListModel : public QAbstractListModel {
    Q_OBJECT
  public:
    // Role of the line's text colour (a QColor).
    static constexpr int kLineColorRole = Qt::UserRole + 1;

    explicit MonitorListModel(MonitorView& view, QObject* parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;

    // Brings the rows up to the monitor; true when anything changed.
    bool Sync();
    [[nodiscard]] MonitorView& View() { return view_; }

  signals:
    // The monitor's selected line after a sync (-1 for none).
    void SelectedLineChanged(int row);

  private:
    MonitorView& view_;
    int rows_ = 0;
    bool coloured_ = false;
};

// Paints one monitor line: its colour on black, the selection in the system's highlight.
class MonitorLineDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const override;
};

// The monitor list. Several lines can be selected; Ctrl+C copies them, one per line.
class MonitorListView : public QListView {
    Q_OBJECT
  public:
    explicit MonitorListView(QWidget* parent = nullptr);
    void SetMonitorModel(MonitorListModel* model);
    // The selected lines' texts joined by newlines, in list order.
    [[nodiscard]] QString SelectedText() const;

  signals:
    void ClearRequested();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void CopySelection() const;
    void FollowSelectedLine(int row);

    MonitorListModel* model_ = nullptr;
};

}  // namespace gnss::ui
