#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "Commands.h"

// Before restore, reference and flash overwrite many parameters: the controller is read whole
// and its values written as a dated backup into `folder`, as the window does before the same
// actions. nullopt when the backup was written (its note added to `notes`); otherwise the
// result that ends the command before its first set frame: the read's fault, or exit 4 when the
// read was incomplete or the file could not be written.
std::optional<CommandResult> BackUpFirst(PortSession& session, const QString& folder,
                                         const QString& action,
                                         const std::function<void(const QString&)>& progress,
                                         QStringList* notes);
