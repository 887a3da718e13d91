#pragma once

#include <QWidget>

// The widget of a dialog that carries the given control id (property "controlId").
QWidget* FindControl(const QWidget* dialog, int id);

// Sets the caption of a button, label or group box.
void SetControlText(QWidget* control, const QString& text);

template <class T>
T* FindControlAs(const QWidget* dialog, int id) {
    return qobject_cast<T*>(FindControl(dialog, id));
}
