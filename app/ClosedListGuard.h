#pragma once

#include <QObject>

class QComboBox;

// Keeps a drop-down list from changing its choice while it is closed: the arrow, page, home and
// end keys, typed letters and the mouse wheel move nothing there (a combo box would otherwise
// take each of them as a choice). Opening the list (click, Alt+Down, F4, space) and choosing in
// it (click or Enter) work as before. Lives as a child of the list it guards.
class ClosedListGuard : public QObject {
public:
    explicit ClosedListGuard(QComboBox* list);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
