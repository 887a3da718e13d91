#pragma once

class QString;

// What the main window's helpers (the port connection, the upper panel's settings, the
// parameter files, the upgrade controls) ask of the window itself. Each gets its own controls,
// the session and the prompter directly; only these few actions of the window go through here.
class IWindowActions {
public:
    virtual ~IWindowActions() = default;

    // The interface language at this moment; messages choose their text by it when shown.
    virtual bool IsEnglish() const = 0;
    // The status box shows `status`.
    virtual void ShowStatus(const QString& status) = 0;
    // A port opening was tried: the status says whether the port is open, and a read-back left
    // incomplete before is no longer what it tells.
    virtual void ShowPortStatus(bool opened) = 0;
    // The window has started a read-back: the status says so and counts its replies.
    virtual void ReadBackStarted() = 0;
    // The upgrade waits for a firmware file to be chosen again: start is disabled and the
    // path box shows the hint to choose one.
    virtual void ClearFirmwareChoice() = 0;
    // The window's signal that an upgrade has ended, after its message was shown.
    virtual void TellUpgradeEnded(bool succeeded) = 0;
};
