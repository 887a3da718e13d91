#pragma once

#include <QString>
#include <chrono>
#include <span>
#include <string>

#include "ClockTimer.h"
#include "ParameterFileReader.h"

class CReceiveDispatcher;
class IClock;
struct ProtocolState;

// Fills the restore table the bulk write sends from (line n + 1 for export index n): the
// setting lines as text, four digits when not negative, so that every value goes out whole; the
// flag and switch lines also as ints.
void FillRestoreTable(const ParameterValues& values, ProtocolState& state);

// The letters of the bulk write whose value in the cache, after the read-back that ends a
// restore, is not the one the restore sent, in chain order. Empty when all were taken.
std::string LettersNotRestored(const ParameterValues& restored, std::span<const int> cache);

// The bulk-write link of a letter as a message names it: the parameter and the file line(s)
// it comes from, or the announcement for j.
QString RestoreLinkName(char letter, bool english);

// How a restore ends.
class IRestoreListener {
public:
    virtual ~IRestoreListener() = default;
    // The last value has been echoed; "?V\r" has gone out and the read-back runs.
    virtual void OnRestoreFinished() = 0;
    // No echo came for the link of `letter` (j: the announcement) within the time-out. The
    // restore has ended in receive mode 0: the values before this one are in the controller,
    // this one and those after it may not be.
    virtual void OnRestoreStopped(char letter) = 0;
};

// One restore of a checked parameter file on the dispatcher's bulk write, with a time-out on
// every echo. The dispatcher's listener hands it the bulk write's progress (OnLinkSent,
// OnFinished); the window and the command line drive it the same way.
class CParameterRestore {
public:
    static constexpr std::chrono::milliseconds kEchoTimeout{2000};

    CParameterRestore(ProtocolState& state, CReceiveDispatcher& dispatcher, IClock& clock,
                      IRestoreListener& listener);

    // Fills the restore table and starts the bulk write: "Sj0004\r", then the values.
    void Start(const ParameterValues& values);
    bool IsRunning() const { return m_timer.IsActive(); }

    // From IProtocolListener::OnBulkWriteLinkSent and OnBulkWriteFinished.
    void OnLinkSent(char letter);
    void OnFinished();

private:
    void OnEchoMissing();

    ProtocolState& m_state;
    CReceiveDispatcher& m_dispatcher;
    IRestoreListener& m_listener;
    ClockTimer m_timer;
    char m_cAwaited = 0;
};
