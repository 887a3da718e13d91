#pragma once

#include <QWidget>

// The widget of a dialog that carries the given control id (property "controlId").
QWidget* FindControl(const QWidget* dialog, int id);

template <class T>
T* FindControlAs(const QWidget* dialog, int id) {
    return qobject_cast<T*>(FindControl(dialog, id));
}
