#include "StatusLine.h"

#include <QLineEdit>

void ShowStatusTextsFromTheStart(QLineEdit& box) {
    QObject::connect(&box, &QLineEdit::textChanged, &box, [&box](const QString& text) {
        box.setToolTip(text);
        box.setCursorPosition(0);
    });
}
