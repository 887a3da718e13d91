#pragma once

#include <QString>
#include <functional>

#include "Commands.h"

// flash: the window's firmware upgrade from the command line, on the upload core the window
// uses (upgrade/).

// The window's checks of the file, then the image loaded; false with `error` set otherwise,
// before anything is sent.
bool PrepareFlash(const QString& file, FirmwareImage* image, QString* error);

// Where an interruption (exit 130) left the controller.
enum class FlashStop {
    None,          // not interrupted
    BeforeUpload,  // nothing that changes it went out
    InBootLoader,  // the boot loader waits with part of the image
    AfterUpload    // the new firmware is confirmed; the read-back after it did not finish
};

// The upload, and after its confirmation the read-back the window runs. `stop`, when given,
// says where an interruption left the controller.
CommandResult Flash(PortSession& session, const FirmwareImage& image,
                    const std::function<void(const QString&)>& progress, FlashStop* stop = nullptr);
