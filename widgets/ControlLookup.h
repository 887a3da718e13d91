#pragma once

#include <QHash>
#include <QWidget>

// The widget of a dialog that carries the given control id (property "controlId").
QWidget* FindControl(const QWidget* dialog, int id);

// Sets the caption of a button, label or group box.
void SetControlText(QWidget* control, const QString& text);

template <class T>
T* FindControlAs(const QWidget* dialog, int id) {
    return qobject_cast<T*>(FindControl(dialog, id));
}

// Every control of a dialog by its id, gathered in one walk over its widgets, with the rule of
// FindControl: for a dialog that looks up its controls by the hundred, where a FindControl for
// each would walk all of them every time.
class ControlIndex {
public:
    explicit ControlIndex(const QWidget* dialog);
    QWidget* Find(int id) const;
    template <class T>
    T* FindAs(int id) const {
        return qobject_cast<T*>(Find(id));
    }

private:
    QHash<int, QWidget*> m_controls;
};
