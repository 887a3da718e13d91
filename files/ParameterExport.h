#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <span>

#include "ExportWriter.h"  // SaveParameterFile: the bytes put at a path
#include "ParamTable.h"

// The parameter text file's bytes for the cache (slots 0 to 190 are written), the port the
// controller is on and the firmware it runs. The cache is only read: frame values get their
// +5000 in the text alone, and each setting is written as SavedFromShown makes it, so that the
// restore takes back every file written here.
QByteArray ParameterFileBytes(std::span<const int> cache, int portNumber,
                              int fwVersion = kGimbalOffsetLastVersion + 1);
