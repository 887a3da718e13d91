#pragma once

#include <QObject>
#include <chrono>
#include <functional>

#include "ClockTimer.h"

class IClock;
class Prompter;
class QWidget;

// A drop-down list or check box whose choice goes to the controller, chosen the way a slider
// is moved: a choice made with the mouse (a click on a box, an entry picked from the opened
// list, or Enter in it) is sent at once; one made by the keys on the closed list or the box
// (arrows, letters, Home and End, the space bar) or by the wheel is sent once they rest for
// kRest, or when the focus leaves the control before that. A walk through the entries sends
// only the one it ends on, and nothing when it ends where the controller already stands.
//
// The control's own signal (a list's activated, a box's clicked) calls Chosen(); send is run
// guarded (a serial error is shown in a message box), unchanged (optional) says whether the
// control shows what the controller holds.
class RestingChoice : public QObject {
public:
    static constexpr std::chrono::milliseconds kRest{300};

    RestingChoice(QWidget& control, IClock& clock, Prompter& prompter, std::function<void()> send,
                  std::function<bool()> unchanged = {});

    void Chosen();
    // A change the keys made is waiting for them to rest.
    bool Waiting() const { return m_rest.IsActive(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Send();
    void Rested();

    QWidget& m_control;
    Prompter& m_prompter;
    std::function<void()> m_send;
    std::function<bool()> m_unchanged;
    ClockTimer m_rest;
    bool m_bByKeys = false;  // the event being handled is a key or the wheel
};
