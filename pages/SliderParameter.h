#pragma once

#include <QObject>
#include <chrono>

#include "ClockTimer.h"

class IClock;
class QLineEdit;
class QSlider;

// One slider parameter: a slider with the number box beside it.
//
// While the thumb moves (drag, click on the track, keyboard) the box follows it and Changing is
// emitted; nothing goes to the controller yet. Committed is emitted, once per settled value,
// with the value the box shows:
// - when the mouse button that moved the thumb is released (after a drag or a click on the
//   track);
// - when keys have moved the thumb and then rest for kKeysRest, or the focus leaves the slider
//   before that, unless the thumb is back where it was last sent or read;
// - when a number typed into the box is confirmed: Enter, Tab, the focus leaving the box for
//   any reason, or the box being hidden (a page switch). A number outside the slider's range
//   (or no number) is not taken: the box shows its value again and Refused names the range.
//   Escape puts the box back to the value it showed before the typing.
// So the window never keeps showing a value that was not sent. The wheel over a slider does
// nothing at all: a turn of it while passing over the page would otherwise change a value.
class SliderParameter : public QObject {
    Q_OBJECT

public:
    // How long the keys must rest before a value moved by them is sent.
    static constexpr std::chrono::milliseconds kKeysRest{300};

    SliderParameter(char letter, QSlider* slider, QLineEdit* box, int minimum, int maximum,
                    IClock& clock, QObject* parent = nullptr);

    char Letter() const { return m_cLetter; }
    QSlider* Slider() const { return m_pSlider; }
    QLineEdit* Box() const { return m_pBox; }
    // The value the number box shows.
    int Shown() const { return m_nShown; }
    // The box shows the value, hundredths of a volt, in volts ("3.30 V") and takes a voltage
    // typed in volts or in hundredths.
    void ShowInVolts();
    bool InVolts() const { return m_bVolts; }
    // A value as the box shows it.
    QString Text(int value) const;

    // A value read back from the controller (or put back after a refused send): the box shows
    // it as it is, the thumb goes to it (to the nearer end when it lies outside the slider's
    // range). Emits nothing, and a change the keys made that has not been sent is dropped.
    void Show(int value);

signals:
    void Changing(int value);
    void Committed(int value);
    void Refused(int minimum, int maximum);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Follow(int position);
    void SetBox(int value);
    void Commit(int value);
    void KeysRested();
    void BoxEdited();
    bool SliderEvent(QEvent* event);
    bool BoxEvent(QEvent* event);

    char m_cLetter;
    QSlider* m_pSlider;
    QLineEdit* m_pBox;
    int m_nShown = 0;
    // The value last sent or read back: what the controller holds as far as the slider knows.
    int m_nSettled = 0;
    bool m_bMouseHeld = false;  // a mouse button went down on the slider and is not yet released
    bool m_bTyped = false;      // the box holds text the operator typed and has not confirmed
    bool m_bVolts = false;
    ClockTimer m_keysRest;
};
