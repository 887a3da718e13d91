#include "SliderParameter.h"

#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>

#include "VoltText.h"

SliderParameter::SliderParameter(char letter, QSlider* slider, QLineEdit* box, int minimum,
                                 int maximum, IClock& clock, QObject* parent)
    : QObject(parent), m_cLetter(letter), m_pSlider(slider), m_pBox(box), m_keysRest(clock) {
    {
        // Setting the range may move the thumb; that is not an operator's change.
        const QSignalBlocker blocker(m_pSlider);
        m_pSlider->setRange(minimum, maximum);
    }
    m_pSlider->setTracking(true);
    m_pSlider->setTickPosition(QSlider::TicksAbove);
    m_pSlider->setTickInterval(10);
    m_pBox->setReadOnly(false);
    SetBox(0);
    m_keysRest.onExpired = [this] { KeysRested(); };

    connect(m_pSlider, &QSlider::valueChanged, this, &SliderParameter::Follow);
    connect(m_pBox, &QLineEdit::textEdited, this, [this] { m_bTyped = true; });
    connect(m_pBox, &QLineEdit::editingFinished, this, &SliderParameter::BoxEdited);
    m_pSlider->installEventFilter(this);
    m_pBox->installEventFilter(this);
}

void SliderParameter::Show(int value) {
    m_keysRest.Stop();
    {
        const QSignalBlocker blocker(m_pSlider);
        m_pSlider->setValue(value);
    }
    SetBox(value);
    m_nSettled = value;
}

void SliderParameter::Follow(int position) {
    SetBox(position);
    // Without a held mouse button the keys moved the thumb: it is sent once they rest.
    if (!m_bMouseHeld) m_keysRest.Start(kKeysRest);
    emit Changing(position);
}

void SliderParameter::ShowInVolts() {
    m_bVolts = true;
    SetBox(m_nShown);
}

QString SliderParameter::Text(int value) const {
    return m_bVolts ? VoltText(value) : QString::number(value);
}

void SliderParameter::SetBox(int value) {
    m_nShown = value;
    m_bTyped = false;
    m_pBox->setText(Text(value));
}

void SliderParameter::Commit(int value) {
    m_keysRest.Stop();
    m_nSettled = value;
    emit Committed(value);
}

void SliderParameter::KeysRested() {
    if (m_nShown != m_nSettled) Commit(m_nShown);
}

void SliderParameter::BoxEdited() {
    if (!std::exchange(m_bTyped, false)) return;
    bool isNumber = false;
    int typed = 0;
    if (m_bVolts) {
        const std::optional<int> voltage = ParseVoltage(m_pBox->text());
        isNumber = voltage.has_value();
        typed = voltage.value_or(0);
    } else {
        typed = m_pBox->text().trimmed().toInt(&isNumber);
    }
    if (!isNumber || typed < m_pSlider->minimum() || typed > m_pSlider->maximum()) {
        SetBox(m_nShown);
        if (m_pBox->hasFocus()) m_pBox->selectAll();
        emit Refused(m_pSlider->minimum(), m_pSlider->maximum());
        return;
    }
    {
        const QSignalBlocker blocker(m_pSlider);
        m_pSlider->setValue(typed);
    }
    SetBox(typed);
    if (typed != m_nSettled) Commit(typed);
}

bool SliderParameter::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pSlider && SliderEvent(event)) return true;
    if (watched == m_pBox && BoxEvent(event)) return true;
    return QObject::eventFilter(watched, event);
}

// True when the event has been dealt with and the slider must not see it.
bool SliderParameter::SliderEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            // Only the buttons the slider itself acts on (dragging, a click on the track) lead
            // to a commit; a right-click moves nothing and must send nothing.
            const int actingButtons =
                m_pSlider->style()->styleHint(QStyle::SH_Slider_AbsoluteSetButtons) |
                m_pSlider->style()->styleHint(QStyle::SH_Slider_PageSetButtons) | Qt::LeftButton;
            const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
            if (m_pSlider->isEnabled() && (button & actingButtons)) {
                // The release sends where the mouse leaves the thumb, keys or not before it.
                m_keysRest.Stop();
                m_bMouseHeld = true;
            }
            return false;
        }
        case QEvent::MouseButtonRelease: {
            // Commit when the last held button comes up, so a second button pressed during a
            // drag does not split it into two commits.
            if (!m_bMouseHeld || static_cast<QMouseEvent*>(event)->buttons() != Qt::NoButton)
                return false;
            m_bMouseHeld = false;
            // Let the slider finish its own release first (the thumb settles, a page-step
            // repeat stops, sliderReleased fires), then commit once: the filter sees each
            // release exactly once, whether or not sliderReleased comes with it.
            static_cast<QObject*>(m_pSlider)->event(event);
            // A read-back may have left the box showing a value outside the slider's range;
            // what goes out is where the operator put the thumb, and the box shows it.
            if (m_nShown != m_pSlider->value()) SetBox(m_pSlider->value());
            Commit(m_nShown);
            return true;
        }
        case QEvent::FocusOut:
            // Leaving the slider settles what the keys did.
            if (m_keysRest.IsActive()) KeysRested();
            m_keysRest.Stop();
            return false;
        case QEvent::EnabledChange:
            // Held in the middle of a drag (the window waits for a read-back): the release
            // never comes, and the thumb goes back to what the controller holds.
            if (!m_pSlider->isEnabled() && std::exchange(m_bMouseHeld, false)) Show(m_nSettled);
            return false;
        case QEvent::Wheel:
            // The wheel would move the thumb, and with it the box and the cached value, without
            // anything going to the controller; like the lists, the sliders ignore it.
            return true;
        default:
            return false;
    }
}

// The box settles a typed number however it is left, whatever signal the line edit gives (it
// gives none when the page holding it is hidden while it has the focus). True when the event
// has been dealt with and the box must not see it.
bool SliderParameter::BoxEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape || !m_bTyped) return false;
            // The number typed is dropped: the box shows again what the controller holds.
            SetBox(m_nShown);
            m_pBox->selectAll();
            return true;
        case QEvent::FocusOut:
            // A context menu over the box is not leaving it.
            if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) BoxEdited();
            return false;
        case QEvent::Hide:
            BoxEdited();
            return false;
        default:
            return false;
    }
}
