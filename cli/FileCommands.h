#pragma once

#include <QString>
#include <functional>

#include "Commands.h"

// export and restore: the window's parameter text file from the command line, on the file core
// the window uses (files/).

// The place FILE names can take a file ("-" is stdout); false with `error` set otherwise, before
// anything is sent.
// A read-only file is refused unless `force`.
bool PrepareExport(const QString& file, bool force, QString* error);
// The whole file read and checked; false with `error` set (the line and what is wrong).
bool PrepareRestore(const QString& file, ParameterValues* values, QString* error);

// The read-back, then the file's bytes as the window's export writes them.
CommandResult Export(PortSession& session, const QString& file, bool force,
                     const std::function<void(const QString&)>& progress);
// The window's restore of a saved file, the read-back after it, and the comparison. An
// interruption says how many values went out and names `backupPath` (the backup written
// before it; empty: none) as the way back.
CommandResult Restore(PortSession& session, const QString& file, const ParameterValues& values,
                      const std::function<void(const QString&)>& progress,
                      const QString& backupPath = {});
