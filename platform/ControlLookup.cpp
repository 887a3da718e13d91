#include "ControlLookup.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>

QWidget* FindControl(const QWidget* dialog, int id) {
    const auto children = dialog->findChildren<QWidget*>();
    for (QWidget* child : children) {
        const QVariant value = child->property("controlId");
        if (!value.isValid() || value.toInt() != id) continue;
        // A control belongs to the nearest dialog above it (one carrying "dialogTemplate"):
        // id 1000 of the basic page is not id 1000 of the main window.
        QWidget* owner = child->parentWidget();
        while (owner && owner != dialog && !owner->property("dialogTemplate").isValid())
            owner = owner->parentWidget();
        if (owner == dialog) return child;
    }
    return nullptr;
}

void SetControlText(QWidget* control, const QString& text) {
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(control))
        group->setTitle(text);
}
