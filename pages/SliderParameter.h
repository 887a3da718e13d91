#pragma once

#include <QObject>

class QLineEdit;
class QSlider;

// One slider parameter: a slider with the read-only number box beside it.
//
// While the thumb moves (drag, click on the track, keyboard) the box follows it and Changing is
// emitted; nothing goes to the controller. When the mouse button that moved the thumb is
// released (after a drag, or after a click on the track) Committed is emitted exactly once with
// the value the box shows; that is when the page writes the value to the controller. Moving the
// thumb with the keyboard never commits, since no mouse button is released. The wheel over a
// slider does nothing at all: a turn of it while passing over the page would otherwise change a
// value that never reaches the controller.
class SliderParameter : public QObject {
    Q_OBJECT

public:
    SliderParameter(char letter, QSlider* slider, QLineEdit* box, int minimum, int maximum,
                    QObject* parent = nullptr);

    char Letter() const { return m_cLetter; }
    QSlider* Slider() const { return m_pSlider; }
    QLineEdit* Box() const { return m_pBox; }
    // The value the number box shows.
    int Shown() const { return m_nShown; }

    // A value read back from the controller: the box shows it as it is, the thumb goes to it
    // (to the nearer end when it lies outside the slider's range). Emits nothing.
    void Show(int value);

signals:
    void Changing(int value);
    void Committed(int value);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Follow(int position);
    void SetBox(int value);

    char m_cLetter;
    QSlider* m_pSlider;
    QLineEdit* m_pBox;
    int m_nShown = 0;
    bool m_bMouseHeld = false;  // a mouse button went down on the slider and is not yet released
};
