#include "ClosedListGuard.h"

#include <QComboBox>
#include <QKeyEvent>

namespace {

// Keys that make a closed combo box step or jump to another entry.
bool MovesTheChoice(const QKeyEvent& key) {
    if (key.modifiers() & Qt::AltModifier) return false;  // Alt+Up/Down open and close the list
    switch (key.key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
            return true;
        case Qt::Key_Space:
            return false;  // opens the list
        default:
            // Typed text searches the entries and picks the first that matches.
            return !key.text().isEmpty() && key.text().at(0).isPrint();
    }
}

}  // namespace

ClosedListGuard::ClosedListGuard(QComboBox* list) : QObject(list) {
    list->installEventFilter(this);
}

bool ClosedListGuard::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel) {
        event->ignore();
        return true;
    }
    if (event->type() == QEvent::KeyPress && MovesTheChoice(*static_cast<QKeyEvent*>(event)))
        return true;
    return QObject::eventFilter(watched, event);
}
