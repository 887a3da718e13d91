#include "RestingChoice.h"

#include <QEvent>
#include <QFocusEvent>
#include <QScopedValueRollback>
#include <QWidget>

#include "GuardedHandler.h"

RestingChoice::RestingChoice(QWidget& control, IClock& clock, Prompter& prompter,
                             std::function<void()> send, std::function<bool()> unchanged)
    : QObject(&control),
      m_control(control),
      m_prompter(prompter),
      m_send(std::move(send)),
      m_unchanged(std::move(unchanged)),
      m_rest(clock) {
    m_rest.onExpired = [this] { Rested(); };
    m_control.installEventFilter(this);
}

void RestingChoice::Chosen() {
    if (m_bByKeys) {
        m_rest.Start(kRest);
        return;
    }
    m_rest.Stop();
    Send();
}

void RestingChoice::Send() {
    RunGuarded(m_prompter, [this] { m_send(); });
}

void RestingChoice::Rested() {
    if (m_unchanged && m_unchanged()) return;
    Send();
}

bool RestingChoice::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &m_control) return false;
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel: {
            // The control handles the event here, knowing that the keys (or the wheel) made
            // whatever it chooses; an event it leaves unaccepted still goes on to its parent.
            const QScopedValueRollback byKeys(m_bByKeys, true);
            static_cast<QObject&>(m_control).event(event);
            return true;
        }
        case QEvent::FocusOut:
            // Leaving the control settles what the keys chose; a list opening its own entries
            // is not leaving it.
            if (m_rest.IsActive() &&
                static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
                m_rest.Stop();
                Rested();
            }
            return false;
        default:
            return false;
    }
}
