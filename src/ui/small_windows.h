#pragma once

#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QWidget>

#include "views/main_window_model.h"

namespace gnss::ui {

// `ImgLogo`: the product name on black in a grey frame, the program icon before it and, when
// the strip is wide enough, after it too.
class LogoStrip : public QWidget {
    Q_OBJECT
  public:
    explicit LogoStrip(QWidget* parent = nullptr);
    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

  signals:
    void Pressed(Qt::KeyboardModifiers modifiers);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

// `AboutBox`: modeless, stays on top, centred on the main window when shown.
class AboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit AboutBox(QWidget* parent = nullptr);
    // Shows the box centred over `owner`, without blocking it.
    void ShowCentredOn(const QWidget* owner);
    [[nodiscard]] QString TitleText() const;
    [[nodiscard]] QString VersionText() const;

  signals:
    // The link label was clicked.
    void LinkActivated(const QString& address);
    // The close button was pressed.
    void Closed();

  protected:
    void changeEvent(QEvent* event) override;

  private:
    void ApplyTexts();

    QLabel* title_ = nullptr;
    QLabel* version_ = nullptr;
    QLabel* description_ = nullptr;
    QLabel* link_ = nullptr;
    class QPushButton* close_ = nullptr;
};

// The port-event window: a small tool window listing plugged and removed ports.
class PortEventWindow : public QWidget {
    Q_OBJECT
  public:
    explicit PortEventWindow(QWidget* parent = nullptr);
    // Shows the log's lines with the last one selected; shows or hides the window as the log
    // says, placed beside `owner` the first time it appears.
    void Refresh(const PortEventLog& log, const QWidget* owner);
    [[nodiscard]] QListWidget* List() const { return list_; }

  private:
    QListWidget* list_ = nullptr;
    bool placed_ = false;
};

}  // namespace gnss::ui
