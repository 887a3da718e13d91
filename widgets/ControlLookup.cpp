#include "ControlLookup.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>

namespace {

// A control belongs to the nearest dialog above it (one carrying "dialogTemplate"): id 1000 of
// the basic page is not id 1000 of the main window.
bool BelongsTo(const QWidget* control, const QWidget* dialog) {
    QWidget* owner = control->parentWidget();
    while (owner && owner != dialog && !owner->property("dialogTemplate").isValid())
        owner = owner->parentWidget();
    return owner == dialog;
}

}  // namespace

QWidget* FindControl(const QWidget* dialog, int id) {
    const auto children = dialog->findChildren<QWidget*>();
    for (QWidget* child : children) {
        const QVariant value = child->property("controlId");
        if (value.isValid() && value.toInt() == id && BelongsTo(child, dialog)) return child;
    }
    return nullptr;
}

ControlIndex::ControlIndex(const QWidget* dialog) {
    const auto children = dialog->findChildren<QWidget*>();
    for (QWidget* child : children) {
        const QVariant value = child->property("controlId");
        // The first in FindControl's order wins, as there.
        if (value.isValid() && !m_controls.contains(value.toInt()) && BelongsTo(child, dialog))
            m_controls.insert(value.toInt(), child);
    }
}

QWidget* ControlIndex::Find(int id) const { return m_controls.value(id, nullptr); }

void SetControlText(QWidget* control, const QString& text) {
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(control))
        group->setTitle(text);
}
