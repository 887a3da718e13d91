#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "Assignment.h"
#include "PortSession.h"
#include "ExitStatus.h"
#include "FirmwareImage.h"
#include "Json.h"
#include "ParameterFileReader.h"
#include "StandardStreams.h"

struct Invocation;

// What one command produced on one port.
struct CommandResult {
    int status = kExitOk;
    QStringList lines;  // the text result, one line each (stdout)
    QString json;       // the result as one JSON value
    QString error;      // one sentence for stderr; empty on success
    QStringList notes;  // sentences for stderr that do not end the command (a backup written)
    QByteArray raw;     // bytes for stdout in place of the text result (export -)
};

// A command's arguments, read and checked before any port is opened: a refusal (exit 3) sends
// nothing to any controller.
struct PreparedCommand {
    std::vector<Assignment> assignments;  // set
    QByteArray letters;                   // get, without repeats
    int referenceSet = 0;                 // reference
    QString file;                         // export, restore, flash
    ParameterValues restoreValues{};      // restore: the file, checked
    FirmwareImage image;                  // flash: the file, checked and loaded
};
bool PrepareCommand(const Invocation& invocation, PreparedCommand* prepared, QString* error);

// What a command reports while it runs: `progress` what is being done ("read 12/49"), for
// stderr; `stream` result lines that cannot wait for the end (monitor), for stdout.
struct CommandOutput {
    std::function<void(const QString&)> progress;
    // Written, or why not: the reader gone, a failed write (the disk full), a stop asked for
    // while stdout took nothing.
    std::function<StdoutWrite(const QString&)> stream;
};

// Runs the command on an open session.
CommandResult RunControllerCommand(const Invocation& invocation, const PreparedCommand& prepared,
                                   PortSession& session, const CommandOutput& output);

// Shared by the commands: the fault that ended a wait, and the whole read-back as read prints
// it (text lines; JSON with `leading` members before and `trailing` after).
CommandResult Fault(const PortSession& session, PortSession::End end);
// Progress of a read-back: "`what` 12/49" for each reply taken.
void ShowReadBackProgress(PortSession& session,
                          const std::function<void(const QString&)>& progress, const QString& what);
CommandResult ReadBackResult(const PortSession& session, JsonMembers leading = {},
                             const JsonMembers& trailing = {});
