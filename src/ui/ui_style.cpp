#include "ui/ui_style.h"

#include <QStringList>

namespace gnss::ui {

namespace {

QFont Font(const QStringList& families, int pointSize, bool bold, QFont::StyleHint hint) {
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(hint);
    font.setPointSize(pointSize);
    font.setBold(bold);
    return font;
}

}  // namespace

QFont FixedFont(int pointSize) {
    QFont font = Font({"Courier New", "Liberation Mono", "DejaVu Sans Mono"}, pointSize, false,
                      QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

QFont SansFont(int pointSize, bool bold) {
    return Font({"Arial", "Liberation Sans", "DejaVu Sans"}, pointSize, bold, QFont::SansSerif);
}

QFont LabelFont(int pointSize, bool bold) {
    return Font({"Calibri", "Carlito", "Liberation Sans"}, pointSize, bold, QFont::SansSerif);
}

QFont NarrowFont(int pointSize) {
    return Font({"Arial Narrow", "Liberation Sans Narrow", "Liberation Sans"}, pointSize, false,
                QFont::SansSerif);
}

}  // namespace gnss::ui
