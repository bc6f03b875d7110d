#include "ui/window_wiring.h"

#include <QDesktopServices>
#include <QTimer>
#include <QUrl>

#include "app/app_core.h"
#include "ui/display_wiring.h"
#include "ui/main_window.h"
#include "ui/small_windows.h"

namespace gnss::ui {

namespace {
constexpr int kRepaintCoalesceMs = 50;
}

WindowWiring::WindowWiring(MainWindow& window, AppCore& core, const PortEnumerator& ports,
                           int portPollMs)
    : QObject(&window), window_(window), core_(core), portWatcher_(ports, portPollMs) {
    displays_ = new DisplayWiring(window_, core_);
    core_.SetListener(this);
    connect(&portWatcher_, &PortWatcher::PortsChanged, this, [this] { core_.PortListPolled(); });
    portWatcher_.Start();

    connect(&window_, &MainWindow::ToolButtonClicked, this,
            [this](ToolButton id, Qt::KeyboardModifiers modifiers) {
                if (id == ToolButton::About) {
                    window_.AboutBoxWindow()->show();
                    window_.AboutBoxWindow()->raise();
                    return;
                }
                core_.ToolButtonClicked(id, modifiers.testFlag(Qt::ControlModifier));
            });
    connect(&window_, &MainWindow::PortTextChanged, this,
            [this](const QString& text) { core_.PortTextChanged(text.toStdString()); });
    connect(&window_, &MainWindow::PortListAboutToDropDown, this,
            [this] { core_.PortListDropDown(); });
    connect(&window_, &MainWindow::BaudRateChosen, this,
            [this](const QString& text) { core_.BaudRateChosen(text.toStdString()); });
    connect(&window_, &MainWindow::UnitChosen, this,
            [this](int index) { core_.UnitChosen(index); });
    connect(&window_, &MainWindow::FilterTextChanged, this,
            [this](const QString& text) { core_.FilterTextChanged(text.toStdString()); });
    connect(&window_, &MainWindow::MonitorClearRequested, this,
            [this] { core_.MonitorClearRequested(); });
    connect(&window_, &MainWindow::AboutLinkActivated, this,
            [](const QString& address) { QDesktopServices::openUrl(QUrl(address)); });
}

WindowWiring::~WindowWiring() {
    core_.SetListener(nullptr);
}

void WindowWiring::OnBringToFront() {
    window_.raise();
    window_.activateWindow();
}

void WindowWiring::OnShowPortEvents() {
    window_.PortEventsWindow()->show();
}

void WindowWiring::RequestRepaint() {
    if (repaintPending_) return;
    repaintPending_ = true;
    QTimer::singleShot(kRepaintCoalesceMs, this, [this] {
        repaintPending_ = false;
        window_.RefreshFromModel();
        displays_->Refresh();
    });
}

}  // namespace gnss::ui
