#pragma once

#include <QByteArray>
#include <functional>

class CMSComm;
class IClock;
class Prompter;
struct ProtocolState;

// What a page or dialog may ask of the window that hosts it. The main window implements it
// and hands it to every page and dialog it creates; nothing below the main window reaches it
// any other way.
class IPageHost {
public:
    // Whose controls a send exchanges with their members before and after: the main window's
    // (its own senders and the pages that refresh it), or none (pages with their own members).
    enum class Exchange { MainWindow, None };

    virtual ~IPageHost() = default;

    // One set command: receive mode := rxMode, the seven bytes to the port with the exchange
    // around them. The caller stores its value in the cache as the parameter table says.
    virtual void SendSetCommand(char letter, int value, int rxMode, Exchange exchange) = 0;
    // A frame sent as text, with the main window's exchange around it.
    virtual void SendText(const QByteArray& frame) = 0;

    virtual ProtocolState& State() = 0;
    virtual CMSComm& Comm() = 0;
    virtual Prompter& GetPrompter() = 0;
    virtual IClock& Clock() = 0;
    // The interface language at this moment; messages choose their text by it when shown.
    virtual bool IsEnglish() const = 0;

    // Closes and reopens the port as a change of the port list does: "?V\r" goes out and every
    // parameter is read back.
    virtual void ReopenPort() = 0;
    // Runs `next` once the read-back now on the line has ended, or at once when none is
    // running, so that what it sends never shares the line with that chain.
    virtual void AfterReadBack(std::function<void()> next) = 0;
    // The upgrade waits for a firmware file to be chosen again: the start-upgrade button is
    // disabled and the path box shows the hint to choose one.
    virtual void ClearFirmwareChoice() = 0;
};
