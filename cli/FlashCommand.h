#pragma once

#include <QString>
#include <functional>

#include "Commands.h"

// flash: the window's firmware upgrade from the command line, on the upload core the window
// uses (upgrade/).

// The window's checks of the file, then the image loaded; false with `error` set otherwise,
// before anything is sent.
bool PrepareFlash(const QString& file, FirmwareImage* image, QString* error);

// The upload, and after its confirmation the read-back the window runs.
CommandResult Flash(PortSession& session, const FirmwareImage& image,
                    const std::function<void(const QString&)>& progress);
