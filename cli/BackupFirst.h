#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "Commands.h"
#include "ParameterBackup.h"

// Before restore, reference and flash overwrite many parameters: the controller's values, as
// the last complete read left them, written as a dated backup into `folder`, as the window does
// before the same actions. nullopt when the backup was written (its note added to `notes`, the
// outcome to `written` when given); otherwise the result that ends the command before its first
// frame: exit 4, with why the file could not be written.
std::optional<CommandResult> WriteBackup(PortSession& session, const QString& folder,
                                         const QString& action, QStringList* notes,
                                         BackupOutcome* written = nullptr);

// The controller read whole, then WriteBackup; a read that fails ends the command as its fault.
std::optional<CommandResult> BackUpFirst(PortSession& session, const QString& folder,
                                         const QString& action,
                                         const std::function<void(const QString&)>& progress,
                                         QStringList* notes, BackupOutcome* written = nullptr);
