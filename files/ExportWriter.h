#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

#include "WriteAll.h"

struct SaveOptions {
    bool force = false;  // replace a read-only file (its mode stays)
    QString forceHint;   // how the user forces it, added to the refusal of a read-only file
    // A FIFO that nobody reads yet: without this the save is refused at once; with it the
    // save waits for a reader until this returns true.
    std::function<bool()> stopWaitingForReader;
    const WriteCalls* calls = nullptr;  // the system's by default
};

// Writes bytes to path so that a failure never costs the user what was there:
// - a missing or regular file: the bytes go to a new file in the same folder, every write and
//   the flush to disk checked, and only then does it take the old file's place (with the old
//   file's mode, and owner where allowed); on failure the old file is untouched;
// - a FIFO or a terminal: written in place, never replaced;
// - a symbolic link, folder, other device node or socket, or a read-only file unless forced:
//   refused, nothing written.
// Returns the reason on failure (it follows "FILE was not written (...)"), nullopt on success.
std::optional<QString> SaveParameterFile(const QString& path, const QByteArray& bytes,
                                         const SaveOptions& options = {});

// The reason given when a termination signal ended the wait for a FIFO's reader.
QString SaveInterruptedReason();
