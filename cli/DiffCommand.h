#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "Commands.h"
#include "ParameterDiff.h"

// diff and restore --dry-run: the read-back compared with a checked parameter file; nothing but
// the read-back is sent.
CommandResult Diff(PortSession& session, const ParameterValues& values,
                   const std::function<void(const QString&)>& progress);

// The differences as diff prints them: "C  主稳定度  44  45" lines (controller, then file), and
// the JSON array of {"letter","name","controller","file"} objects.
QStringList DifferenceLines(const std::vector<ParameterDifference>& differences);
QString DifferenceJson(const std::vector<ParameterDifference>& differences,
                       const QString& controllerKey = QStringLiteral("controller"),
                       const QString& fileKey = QStringLiteral("file"));
