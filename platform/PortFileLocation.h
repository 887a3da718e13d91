#pragma once

#include <QString>

#include "PortFile.h"

// Where the port file lives: the window's configuration folder (its
// QStandardPaths::AppConfigLocation, ~/.config/Vexa on Linux, XDG_CONFIG_HOME honoured).
// Computed here rather than asked of the running application, so that vexactl, which runs
// under another application name, finds the same file.
QString ConfiguredPortFilePath();

// Where earlier versions kept it: qzmcconfig.ini in the current directory.
QString LegacyPortFilePath();

// The window's port file: `chosen` when the user gave one (--port-file), else the configured
// one. When the configured one is missing and the legacy file is a regular file, its bytes are
// copied over once; the legacy file stays as it is.
PortFile WindowPortFile(const QString& chosen);

// vexactl's port file, only ever read: `chosen`, else the configured one, else the legacy one
// while the window has not yet carried it over.
PortFile CommandLinePortFile(const QString& chosen);
