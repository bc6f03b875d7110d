#pragma once

#include <QIcon>
#include <QPixmap>

#include "views/main_window_model.h"
#include "views/status_bar_model.h"

namespace gnss::ui {

// The program's own artwork, drawn with QPainter: nothing is loaded from files.

// The program icon: a globe under a satellite's orbit.
QIcon ProgramIcon();
QPixmap ProgramPixmap(int sizePx);

// Toolbar icon of a button; `down` gives the pressed look of the buttons that stay down
// (connected plug, recording log).
QIcon ToolIcon(ToolButton id, bool down);

// The link lamp of status panel 0.
QPixmap LinkLampPixmap(LinkIcon icon, int sizePx);

}  // namespace gnss::ui
