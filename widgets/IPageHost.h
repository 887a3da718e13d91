#pragma once

#include <functional>

class IClock;
class IControllerIntents;
class Prompter;

// What a page or dialog may ask of the window that hosts it. The main window implements it
// and hands it to every page and dialog it creates; nothing below the main window reaches it
// any other way. Everything that goes to the controller is an intent of the session, made
// with the value of the sender's own control (no other window's controls are exchanged).
class IPageHost {
public:
    virtual ~IPageHost() = default;

    // The controller session's intents and the values it holds.
    virtual IControllerIntents& Session() = 0;

    virtual Prompter& GetPrompter() = 0;
    virtual IClock& Clock() = 0;
    // The interface language at this moment; messages choose their text by it when shown.
    virtual bool IsEnglish() const = 0;

    // Closes and reopens the port as a change of the port list does: "?V\r" goes out and every
    // parameter is read back.
    virtual void ReopenPort() = 0;
    // The upgrade waits for a firmware file to be chosen again: the start-upgrade button is
    // disabled and the path box shows the hint to choose one.
    virtual void ClearFirmwareChoice() = 0;
};
