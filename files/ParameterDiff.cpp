#include "ParameterDiff.h"

#include <algorithm>

#include "ParamTable.h"
#include "ParameterRestore.h"

namespace {

// A letter's value in cache-ordered cells: its slot, or the mask of a bit field's slots.
int ValueAt(char letter, std::span<const int> cells) {
    if (BitCountOf(letter) > 0) return MaskFromCache(letter, cells);
    const std::optional<int> slot = CacheSlotOf(letter);
    return slot && *slot < int(cells.size()) ? cells[*slot] : 0;
}

}  // namespace

ParameterValues SavedValues(std::span<const int> cache, int fwVersion) {
    ParameterValues values{};
    const int count = std::min(int(values.size()), int(cache.size()));
    for (int index = 0; index < count; ++index) {
        const std::optional<char> letter = SettingLetterAt(index);
        values[index] = letter ? SavedFromShown(*letter, cache[index], fwVersion) : cache[index];
    }
    return values;
}

std::vector<ParameterDifference> DiffParameters(const ParameterValues& file,
                                                std::span<const int> cache, int fwVersion) {
    std::vector<ParameterDifference> differences;
    for (char letter : LettersNotRestored(file, SavedValues(cache, fwVersion))) {
        const bool setting = BitCountOf(letter) == 0;
        const int saved = ValueAt(letter, file);
        differences.push_back({letter, ValueAt(letter, cache),
                               setting ? ShownFromSaved(letter, saved, fwVersion) : saved});
    }
    return differences;
}

std::string LettersNotReadBack(const ParameterValues& restored, std::span<const int> cache,
                               int fwVersion) {
    return LettersNotRestored(restored, SavedValues(cache, fwVersion));
}
