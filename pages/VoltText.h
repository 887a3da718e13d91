#pragma once

#include <QString>
#include <optional>

// Voltages travel in hundredths of a volt; people read and type them in volts.

// "4.05 V" for 405.
QString VoltText(int hundredths);
// A voltage as typed: in volts with a decimal point or a "V" ("4.05", "4.05 V", "4 V",
// "4,05"), or a whole number of hundredths ("405"), either with a minus sign. Nothing for
// anything else or more than two decimals.
std::optional<int> ParseVoltage(const QString& typed);
