#pragma once

#include <QString>
#include <map>
#include <span>
#include <vector>

// A parameter the controller holds at a value it should not (outside the read range, or a code
// no list entry has): the read-back shows it as 0, and a saved file keeps the nearest value the
// restore accepts instead.
struct HeldOutOfRange {
    char letter;
    int wire;   // as the controller holds it
    int saved;  // what a saved file keeps
};

// The restored parameters whose wire value (from the last read-back) is outside what they can
// hold and whose cache still holds what that read showed, in the bulk write's order, with the
// value the export writes for them from the cache.
std::vector<HeldOutOfRange> ParametersHeldOutOfRange(const std::map<char, int>& wireValues,
                                                     std::span<const int> cache, int fwVersion);

// One sentence naming each such parameter, what it held and what the file keeps; empty when
// there is none.
QString DescribeHeldOutOfRange(const std::vector<HeldOutOfRange>& held, bool english);
