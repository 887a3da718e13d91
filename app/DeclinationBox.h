#pragma once

#include <functional>

class Prompter;
class QLineEdit;

// The upper panel's magnetic declination box (1031) and the declination it last held as a whole
// number. The window takes the box whenever it settles its controls (a page switch, a port
// opening, the read-back's start, the language switch, a restore, the set button): a box that
// does not hold an integer is reported, gets the focus and leaves the declination as it was;
// showing puts the declination back into the box.
class DeclinationBox {
public:
    // `english` tells the language of the moment, in which the report is shown.
    DeclinationBox(QLineEdit& box, Prompter& prompter, std::function<bool()> english);

    // The box's number becomes the declination; false (and the operator told) when the box
    // does not hold an integer.
    bool Take();
    // The declination into the box.
    void Show();
    // A declination the controller reported: kept and shown.
    void Set(int degrees);
    int Degrees() const { return m_degrees; }

private:
    QLineEdit& m_box;
    Prompter& m_prompter;
    std::function<bool()> m_english;
    int m_degrees = 0;
};
