#include "ParamTable.h"

#include <algorithm>
#include <array>

#include "CommandFrames.h"
#include "ParameterNames.h"
#include "ProtocolState.h"

namespace {

enum class Kind : unsigned char {
    Plain,     // shown = wire, no range check (version, batteries, j, k, z, write-only letters)
    Ranged,    // shown = wire - offset inside [lo, hi], otherwise the out-of-range value
    List,      // the 1-based entry of a drop-down list whose codes are not its positions
    Bits,      // one cache slot per bit
    Discarded  // read in the chain, value not used (H, I)
};

// How the bulk write of a restored file sends a letter.
enum class Bulk : unsigned char {
    None,        // not sent
    StoredText,  // the saved text unchanged
    Encoded,     // the saved value through WireFromShown, four digits
    FlagBits     // the saved flags of the letter's slots as bits
};

constexpr int kNoSlot = -1;

constexpr std::array<int, 16> kFrameTypeCodes{1, 2, 3,  4,  5,  6,  7,  15,
                                              8, 9, 10, 11, 12, 13, 14, 16};
constexpr std::array<int, 7> kEscRateCodes{1, 2, 3, 4, 7, 5, 6};
constexpr std::array<int, 4> kServoRateCodes{1, 3, 4, 7};

struct Entry {
    char letter;
    int slot;
    Kind kind;
    Bulk bulk;
    int lo = 0;
    int hi = 0;
    int offset = 0;  // shown = wire - offset
    // Firmware up to kGimbalOffsetLastVersion: subtracted on read (the out-of-range value is
    // then its negative) and added on send, independently.
    int legacyReadOffset = 0;
    int legacySendOffset = 0;
    bool legacyOffsets = false;  // sent and read back with the offsets above up to 1.211
    int bits = 0;
    int bulkForcedBits = 0;  // bits the bulk write always sets
    const int* codes = nullptr;
    int codeCount = 0;
};

constexpr Entry Percent(char letter, int slot) {
    return {letter, slot, Kind::Ranged, Bulk::StoredText, 0, 100};
}
constexpr Entry GimbalRatio(char letter, int slot, int legacySend) {
    return {letter, slot, Kind::Ranged, Bulk::StoredText, 0, 200, 0, 100, legacySend, true};
}
constexpr Entry AngleLimit(char letter, int slot, int legacySend) {
    return {letter, slot, Kind::Ranged, Bulk::StoredText, 0, 100, 0, 0, legacySend, true};
}
constexpr Entry ServoCentre(char letter, int slot) {
    return {letter, slot, Kind::Ranged, Bulk::Encoded, 0, 200, 100};
}
constexpr Entry Flags(char letter, int slot, int bits, int forced = 0) {
    return {letter, slot, Kind::Bits, Bulk::FlagBits, 0, 0, 0, 0, 0, false, bits, forced};
}
constexpr Entry ListOf(char letter, int slot, const int* codes, int count) {
    return {letter, slot, Kind::List, Bulk::Encoded, 0, 0, 0, 0, 0, false, 0, 0, codes, count};
}
constexpr Entry Plain(char letter, int slot = kNoSlot) {
    return {letter, slot, Kind::Plain, Bulk::None};
}
constexpr Entry Coordinate(char letter) {
    return {letter, kNoSlot, Kind::Ranged, Bulk::None, 0, 9999, 5000};
}
constexpr Entry Extent(char letter) { return {letter, kNoSlot, Kind::Ranged, Bulk::None, 0, 5000}; }

constexpr int RowSlot(int row) { return kGridFirstSlot + 12 * row; }

constexpr Entry kTable[] = {
    ListOf('A', 0, kFrameTypeCodes.data(), int(kFrameTypeCodes.size())),
    ListOf('B', 1, kEscRateCodes.data(), int(kEscRateCodes.size())),
    ListOf('P', 2, kServoRateCodes.data(), int(kServoRateCodes.size())),
    Percent('C', 3),
    Percent('D', 4),
    Percent('E', 5),
    Percent('F', 6),
    Percent('G', 7),
    Percent('Y', 8),
    Percent('Z', 9),
    Percent('R', 10),
    Percent('T', 11),
    Percent('`', 12),
    Percent('@', 13),
    Percent('#', 14),
    Percent('$', 15),
    Percent('!', 16),
    // Up to version 1.211 the Z-axis ratio is sent without the offset its read-back removes,
    // and the roll and Z limits are sent with an offset their read-back does not remove.
    GimbalRatio('K', 17, 100),
    GimbalRatio('J', 18, 100),
    GimbalRatio('%', 19, 0),
    Percent('_', 20),
    AngleLimit(')', 21, 100),
    AngleLimit('+', 22, 100),
    ServoCentre('&', 23),
    ServoCentre('^', 24),
    ServoCentre('(', 25),
    {'L', 26, Kind::Ranged, Bulk::StoredText, 280, 400},
    Plain('4', 27),
    Plain('5', 28),
    Plain('6', 29),
    Plain('7', 30),
    // The battery, receiver, gyroscope and accelerometer bits are always on.
    Flags('M', 31, 8, 0x0F),
    Flags('N', 39, 8),
    Flags('O', 47, 8),
    Flags('a', RowSlot(0), 12),
    Flags('b', RowSlot(1), 12),
    Flags('c', RowSlot(2), 12),
    Flags('d', RowSlot(3), 12),
    Flags('e', RowSlot(4), 12),
    Flags('f', RowSlot(5), 12),
    Flags('=', RowSlot(6), 12),
    Flags('g', RowSlot(7), 12),
    Flags('h', RowSlot(8), 12),
    Flags('i', RowSlot(9), 12),
    {'Q', 190, Kind::Ranged, Bulk::Encoded, 0, 360, 180},
    Plain('V'),
    Plain('j'),
    {'H', kNoSlot, Kind::Discarded, Bulk::None},
    {'I', kNoSlot, Kind::Discarded, Bulk::None},
    Plain('k'),
    Extent('l'),
    Extent('m'),
    Coordinate('n'),
    Coordinate('o'),
    Coordinate('p'),
    Coordinate('q'),
    Coordinate('r'),
    Coordinate('s'),
    Coordinate('t'),
    Coordinate('u'),
    Coordinate('v'),
    Coordinate('w'),
    Coordinate('x'),
    Coordinate('y'),
    Plain('z'),
};

const Entry* Find(char letter) {
    // One index per byte value, built once; the reads look letters up on every reply.
    static const std::array<const Entry*, 256> index = [] {
        std::array<const Entry*, 256> built{};
        for (const Entry& entry : kTable) built[static_cast<unsigned char>(entry.letter)] = &entry;
        return built;
    }();
    return index[static_cast<unsigned char>(letter)];
}

bool Legacy(int fwVersion) { return fwVersion <= kGimbalOffsetLastVersion; }

int ListEntryOf(const Entry& entry, int wire) {
    const int* end = entry.codes + entry.codeCount;
    const int* found = std::find(entry.codes, end, wire);
    return found == end ? 0 : int(found - entry.codes) + 1;
}

int RangedShown(const Entry& entry, int wire, int fwVersion) {
    const int legacy = Legacy(fwVersion) ? entry.legacyReadOffset : 0;
    if (wire < entry.lo || wire > entry.hi) return -legacy;
    return wire - entry.offset - legacy;
}

int FlagMask(const Entry& entry, const ProtocolState& state) {
    int mask = entry.bulkForcedBits;
    for (int bit = 0; bit < entry.bits; ++bit)
        if (state.m_nRestoreValue[entry.slot + 1 + bit] != 0) mask |= 1 << bit;
    return mask;
}

}  // namespace

std::optional<int> CacheSlotOf(char letter) {
    const Entry* entry = Find(letter);
    if (!entry || entry->slot == kNoSlot) return std::nullopt;
    return entry->slot;
}

int ShownFromWire(char letter, int wire, int fwVersion) {
    const Entry* entry = Find(letter);
    if (!entry) return wire;
    switch (entry->kind) {
        case Kind::Ranged:
            return RangedShown(*entry, wire, fwVersion);
        case Kind::List:
            return ListEntryOf(*entry, wire);
        default:
            return wire;
    }
}

int WireFromShown(char letter, int shown, int fwVersion) {
    const Entry* entry = Find(letter);
    if (!entry) return shown;
    switch (entry->kind) {
        case Kind::Ranged:
            return shown + entry->offset + (Legacy(fwVersion) ? entry->legacySendOffset : 0);
        case Kind::List:
            return shown >= 1 && shown <= entry->codeCount ? entry->codes[shown - 1] : 0;
        default:
            return shown;
    }
}

int CachedAfterSend(char letter, int shown, int fwVersion) {
    const Entry* entry = Find(letter);
    // Where sending and reading back encode differently (the gimbal ratios and limits up to
    // 1.211), the cache takes what a read-back of the value sent would give, so that it holds
    // one form whatever put the value there.
    if (entry && entry->legacyOffsets)
        return ShownFromWire(letter, WireFromShown(letter, shown, fwVersion), fwVersion);
    return shown;
}

std::optional<ShownRange> ShownRangeOf(char letter, int fwVersion) {
    const Entry* entry = Find(letter);
    if (!entry || entry->kind != Kind::Ranged) return std::nullopt;
    const int shift = entry->offset + (Legacy(fwVersion) ? entry->legacyReadOffset : 0);
    return ShownRange{entry->lo - shift, entry->hi - shift};
}

std::optional<ShownRange> RestoredRangeOf(char letter) {
    const Entry* entry = Find(letter);
    if (!entry) return std::nullopt;
    switch (entry->bulk) {
        case Bulk::StoredText:
            return ShownRange{entry->lo, entry->hi};
        case Bulk::Encoded:
            if (entry->kind == Kind::List) return ShownRange{1, entry->codeCount};
            return ShownRange{entry->lo - entry->offset, entry->hi - entry->offset};
        case Bulk::FlagBits:
            return ShownRange{0, 1};
        case Bulk::None:
            break;
    }
    return std::nullopt;
}

bool IsWireValueHeld(char letter, int wire) {
    const Entry* entry = Find(letter);
    if (!entry) return true;
    switch (entry->kind) {
        case Kind::Ranged:
            return wire >= entry->lo && wire <= entry->hi;
        case Kind::List:
            return ListEntryOf(*entry, wire) != 0;
        default:
            return true;
    }
}

int SavedFromShown(char letter, int shown, int fwVersion) {
    const Entry* entry = Find(letter);
    if (!entry || entry->kind == Kind::Bits) return shown;
    int saved = shown;
    if (entry->bulk == Bulk::StoredText && entry->kind == Kind::Ranged)
        saved = shown + entry->offset + (Legacy(fwVersion) ? entry->legacyReadOffset : 0);
    if (const std::optional<ShownRange> range = RestoredRangeOf(letter))
        saved = std::clamp(saved, range->minimum, range->maximum);
    return saved;
}

int ShownFromSaved(char letter, int saved, int fwVersion) {
    const Entry* entry = Find(letter);
    if (entry && entry->bulk == Bulk::StoredText && entry->kind == Kind::Ranged)
        return ShownFromWire(letter, saved, fwVersion);
    return saved;
}

std::optional<char> SettingLetterAt(int slot) {
    for (const Entry& entry : kTable)
        if (entry.slot == slot && entry.kind != Kind::Bits) return entry.letter;
    return std::nullopt;
}

std::optional<ShownRange> SettableRangeOf(char letter) {
    const Entry* entry = Find(letter);
    if (!entry || entry->slot == kNoSlot) return std::nullopt;
    switch (entry->kind) {
        case Kind::Ranged: {
            const ShownRange legacy = *ShownRangeOf(letter, kGimbalOffsetLastVersion);
            const ShownRange current = *ShownRangeOf(letter, kGimbalOffsetLastVersion + 1);
            return ShownRange{std::max(legacy.minimum, current.minimum),
                              std::min(legacy.maximum, current.maximum)};
        }
        case Kind::List:
            return ShownRange{1, entry->codeCount};
        case Kind::Bits:
            return ShownRange{0, (1 << entry->bits) - 1};
        default:
            return std::nullopt;
    }
}

std::optional<char> LinkedRowOf(char letter) {
    if (letter == 'd') return 'e';
    if (letter == 'e') return 'd';
    return std::nullopt;
}

QString FirmwareVersionText(int version) {
    const QString digits = QString::number(version).rightJustified(4, QLatin1Char('0'));
    return digits.left(1) + QLatin1Char('.') + digits.mid(1);
}

bool IsDiscardedOnRead(char letter) {
    const Entry* entry = Find(letter);
    return entry && entry->kind == Kind::Discarded;
}

int BitCountOf(char letter) {
    const Entry* entry = Find(letter);
    return entry && entry->kind == Kind::Bits ? entry->bits : 0;
}

void StoreInCache(char letter, int shown, std::span<int> cache) {
    const Entry* entry = Find(letter);
    if (!entry || entry->slot == kNoSlot) return;
    const int width = entry->kind == Kind::Bits ? entry->bits : 1;
    if (entry->slot + width > int(cache.size())) return;
    if (entry->kind != Kind::Bits) {
        cache[entry->slot] = shown;
        return;
    }
    for (int bit = 0; bit < width; ++bit) cache[entry->slot + bit] = (shown >> bit) & 1;
}

int MaskFromCache(char letter, std::span<const int> cache) {
    const Entry* entry = Find(letter);
    if (!entry || entry->kind != Kind::Bits || entry->slot + entry->bits > int(cache.size()))
        return 0;
    int mask = 0;
    for (int bit = 0; bit < entry->bits; ++bit)
        if (cache[entry->slot + bit] != 0) mask |= 1 << bit;
    return mask;
}

QByteArray BulkWriteFrame(char letter, const ProtocolState& state) {
    const Entry* entry = Find(letter);
    if (!entry) return {};
    const int line = entry->slot + 1;  // line 0 of a saved file is the port line
    switch (entry->bulk) {
        case Bulk::StoredText:
            return StoredTextSetCommand(letter, state.m_strRestoreText[line]);
        case Bulk::Encoded:
            return SetCommand(letter,
                              WireFromShown(letter, LeadingNumber(state.m_strRestoreText[line]),
                                            state.m_nFwVersion));
        case Bulk::FlagBits:
            return SetCommand(letter, FlagMask(*entry, state));
        case Bulk::None:
            break;
    }
    return {};
}
