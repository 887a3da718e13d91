#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "Assignment.h"
#include "ExitStatus.h"

class ControllerSession;
struct Invocation;

// What one command produced on one port.
struct CommandResult {
    int status = kExitOk;
    QStringList lines;  // the text result, one line each (stdout)
    QString json;       // the result as one JSON value
    QString error;      // one sentence for stderr; empty on success
};

// A command's arguments, read and checked before any port is opened: a refusal (exit 3) sends
// nothing to any controller.
struct PreparedCommand {
    std::vector<Assignment> assignments;  // set
    QByteArray letters;                   // get, without repeats
    int referenceSet = 0;                 // reference
};
bool PrepareCommand(const Invocation& invocation, PreparedCommand* prepared, QString* error);

// Runs the command on an open session. `progress` is told what is being done ("read 12/49").
CommandResult RunControllerCommand(const Invocation& invocation, const PreparedCommand& prepared,
                                   ControllerSession& session,
                                   const std::function<void(const QString&)>& progress);
