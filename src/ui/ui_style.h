#pragma once

#include <QColor>
#include <QFont>

#include "views/main_window_model.h"

namespace gnss::ui {

inline QColor ToColor(Rgb rgb) {
    return QColor::fromRgb(static_cast<QRgb>(rgb));
}

// The window's fonts, each with the metric-compatible family that Linux systems ship as
// fallback, so that texts take the same room everywhere.
QFont FixedFont(int pointSize);                     // Courier New
QFont SansFont(int pointSize, bool bold = false);   // Arial
QFont LabelFont(int pointSize, bool bold = false);  // Calibri
QFont NarrowFont(int pointSize);                    // Arial Narrow

}  // namespace gnss::ui
