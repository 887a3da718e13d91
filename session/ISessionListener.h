#pragma once

#include "ChainEnd.h"
#include "IProtocolListener.h"

// What the controller session tells the program that shows it (the main window, vexactl): the
// news of each conversation's steps, and the end of every conversation it runs. Called from inside
// the serial control's notification or a time-out: a listener that wants to show a message box
// posts it to the event loop first.
class ISessionListener : public IProtocolListener {
public:
    // A conversation started through the session has ended; called once per conversation, after
    // the line has been handed to what follows it (the read-back after a restore or a reference
    // set): a read-back's end Done is the whole read in, NoAnswer the read given up at `letter`.
    virtual void OnChainEnded(const ChainEnd& /*end*/) {}
};
