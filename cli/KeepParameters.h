#pragma once

#include <QString>
#include <functional>

#include "Commands.h"

// flash --keep-parameters: the controller's values read and backed up, the upload, and after
// the read-back that follows it the values the new firmware changed written back by the restore
// chain. `backupFolder` empty: no backup file (--no-backup).
CommandResult FlashKeepingParameters(PortSession& session, const FirmwareImage& image,
                                     const QString& backupFolder,
                                     const std::function<void(const QString&)>& progress);
