#include "OutOfRangeNote.h"

#include <QStringList>

#include "BulkWriteChain.h"
#include "FileTexts.h"
#include "ParamTable.h"
#include "ParameterNames.h"

std::vector<HeldOutOfRange> ParametersHeldOutOfRange(const std::map<char, int>& wireValues,
                                                     std::span<const int> cache, int fwVersion) {
    std::vector<HeldOutOfRange> held;
    for (char letter : kBulkWriteOrder) {
        const auto wire = wireValues.find(letter);
        const std::optional<int> slot = CacheSlotOf(letter);
        if (wire == wireValues.end() || !slot || BitCountOf(letter) > 0) continue;
        if (IsWireValueHeld(letter, wire->second) || *slot >= int(cache.size())) continue;
        // A value sent since the read-back has replaced the one read.
        if (cache[*slot] != ShownFromWire(letter, wire->second, fwVersion)) continue;
        held.push_back({letter, wire->second, SavedFromShown(letter, cache[*slot], fwVersion)});
    }
    return held;
}

QString DescribeHeldOutOfRange(const std::vector<HeldOutOfRange>& held, bool english) {
    if (held.empty()) return {};
    QStringList parts;
    const QStringList names = ParameterNames();
    for (const HeldOutOfRange& h : held)
        parts << texts::kHeldParameter.In(english)
                     .arg(QLatin1Char(h.letter))
                     .arg(QString(names.at(*CacheSlotOf(h.letter))).remove(QLatin1Char(' ')))
                     .arg(h.wire)
                     .arg(h.saved);
    return texts::kHeldOutOfRange.In(english).arg(
        parts.join(english ? QStringLiteral("; ") : QStringLiteral("；")));
}
