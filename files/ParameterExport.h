#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <span>

#include "ExportWriter.h"  // SaveParameterFile: the bytes put at a path

// The parameter text file's bytes for the cache (slots 0 to 190 are written) and the port the
// controller is on. The cache is only read: frame values get their +5000 in the text alone.
QByteArray ParameterFileBytes(std::span<const int> cache, int portNumber);

