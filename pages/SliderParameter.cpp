#include "SliderParameter.h"

#include <QEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>

SliderParameter::SliderParameter(char letter, QSlider* slider, QLineEdit* box, int minimum,
                                 int maximum, QObject* parent)
    : QObject(parent), m_cLetter(letter), m_pSlider(slider), m_pBox(box) {
    {
        // Setting the range may move the thumb; that is not an operator's change.
        const QSignalBlocker blocker(m_pSlider);
        m_pSlider->setRange(minimum, maximum);
    }
    m_pSlider->setTracking(true);
    m_pSlider->setTickPosition(QSlider::TicksAbove);
    m_pSlider->setTickInterval(10);
    m_pBox->setReadOnly(true);
    SetBox(0);

    connect(m_pSlider, &QSlider::valueChanged, this, &SliderParameter::Follow);
    m_pSlider->installEventFilter(this);
}

void SliderParameter::Show(int value) {
    const QSignalBlocker blocker(m_pSlider);
    m_pSlider->setValue(value);
    SetBox(value);
}

void SliderParameter::Follow(int position) {
    SetBox(position);
    emit Changing(position);
}

void SliderParameter::SetBox(int value) {
    m_nShown = value;
    m_pBox->setText(QString::number(value));
}

bool SliderParameter::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_pSlider) return QObject::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            // Only the buttons the slider itself acts on (dragging, a click on the track) lead
            // to a commit; a right-click moves nothing and must send nothing.
            const int actingButtons =
                m_pSlider->style()->styleHint(QStyle::SH_Slider_AbsoluteSetButtons) |
                m_pSlider->style()->styleHint(QStyle::SH_Slider_PageSetButtons) | Qt::LeftButton;
            const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
            if (m_pSlider->isEnabled() && (button & actingButtons)) m_bMouseHeld = true;
            break;
        }
        case QEvent::MouseButtonRelease: {
            // Commit when the last held button comes up, so a second button pressed during a
            // drag does not split it into two commits.
            if (!m_bMouseHeld || static_cast<QMouseEvent*>(event)->buttons() != Qt::NoButton) break;
            m_bMouseHeld = false;
            // Let the slider finish its own release first (the thumb settles, a page-step
            // repeat stops, sliderReleased fires), then commit once: the filter sees each
            // release exactly once, whether or not sliderReleased comes with it.
            static_cast<QObject*>(m_pSlider)->event(event);
            // A read-back may have left the box showing a value outside the slider's range;
            // what goes out is where the operator put the thumb, and the box shows it.
            if (m_nShown != m_pSlider->value()) SetBox(m_pSlider->value());
            emit Committed(m_nShown);
            return true;
        }
        case QEvent::Wheel:
            // The wheel would move the thumb, and with it the box and the cached value, without
            // anything going to the controller; like the lists, the sliders ignore it.
            return true;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}
