#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <span>

struct ProtocolState;

// The parameter vocabulary: for every letter its cache slot, the range accepted on read-back,
// its offset and encodings. The session, the pages, the export and the restore all use this
// one table; no range or offset is written down anywhere else.

// Firmware versions strictly above this one carry the gimbal ratios without an offset.
constexpr int kGimbalOffsetLastVersion = 1211;

// Cache slot of a letter with one slot (C, A, Q, ...); for a bit-field letter (M, N, O and the
// switch rows) the slot of its bit 0; nullopt for letters that have no slot (V, H, I, j, ~, k..z).
std::optional<int> CacheSlotOf(char letter);

// A read-back wire value as its control shows it (range check and offset applied; for A, B and
// P the 1-based list entry, 0 when the wire value selects none; bit-field letters unchanged).
int ShownFromWire(char letter, int wire, int fwVersion);

// The wire value a page sends for the value it shows (offsets, version-dependent gimbal
// encodings, list entry to code for A, B and P).
int WireFromShown(char letter, int shown, int fwVersion);

// What the parameter cache holds after a page sent `shown` for this letter: what a read-back of
// the value sent would show (on firmware up to 1.211 the gimbal ratios and limits are sent with
// other offsets than their read-back removes).
int CachedAfterSend(char letter, int shown, int fwVersion);

// The values the control of a ranged letter can show: its read range through its offset
// (0..100 for the gains, -100..100 for the servo centres, 280..400 for the alarm voltage,
// -180..180 for the declination). nullopt for letters without a range.
struct ShownRange {
    int minimum;
    int maximum;
    bool Contains(int value) const { return value >= minimum && value <= maximum; }
};
std::optional<ShownRange> ShownRangeOf(char letter, int fwVersion);

// The values a saved parameter file may hold for a letter that the bulk write sends, as the
// file keeps them: the read range for letters sent as stored text, the shown range for offset
// letters, the list entries for A, B and P, 0..1 for each flag of a bit field. nullopt for
// letters the bulk write does not send.
std::optional<ShownRange> RestoredRangeOf(char letter);

// Whether a read-back wire value is one the parameter can hold: inside the read range of a
// ranged letter, one of the codes of A, B and P; always true for the other letters.
bool IsWireValueHeld(char letter, int wire);

// The value a saved parameter file keeps for a setting letter, made from the value as shown (the
// cache after a read-back): the wire value for the letters the bulk write sends as stored text
// (the gimbal ratios of firmware up to 1.211 are thus written without their read offset), the
// shown value for the others; a value the restore would refuse becomes the nearest it accepts.
int SavedFromShown(char letter, int shown, int fwVersion);
// A saved file's value as the window shows it on this firmware.
int ShownFromSaved(char letter, int saved, int fwVersion);

// The letter whose single cache slot this is (A, C, ... Q, the batteries); nullopt for the slots
// of bit-field letters and for slots no letter owns.
std::optional<char> SettingLetterAt(int slot);

// The values the window's controls can send for a letter, whatever firmware the controller
// runs: the shown range (for the gimbal ratios only what both encodings can show), the list
// entries of A, B and P, every mask of a bit-field letter. nullopt for letters the window
// writes only through a chain or never (V, H, I, j, ~, the batteries, the frame geometry).
std::optional<ShownRange> SettableRangeOf(char letter);

// The switch row linked with this one (heading lock d and care-free e): a switch position may
// not drive both, so writing one row clears its positions in the other. nullopt for the rest.
std::optional<char> LinkedRowOf(char letter);

// The firmware version as the window shows it: the first digit, a point, the other three
// (1218 is "1.218").
QString FirmwareVersionText(int version);

// Whether the read-back reads the letter only to move on (H, I): its value goes nowhere.
bool IsDiscardedOnRead(char letter);

// Number of cache slots a bit-field letter spreads its value over (8 for M, N and O, 12 for
// the switch rows); 0 for every other letter.
int BitCountOf(char letter);

// Stores a shown value in the cache as the letter keeps it: one slot, or one bit per slot for
// bit-field letters. Letters without a slot leave the cache alone.
void StoreInCache(char letter, int shown, std::span<int> cache);

// A bit-field letter's value made from its cache slots (bit k from the k-th slot).
int MaskFromCache(char letter, std::span<const int> cache);

// The frame the bulk write of a restored file sends for a letter, made from the restore table
// (line n + 1 holds the saved value of cache slot n): the stored text unchanged for the
// stored-text letters, otherwise a four-digit set command with the letter's transform.
// Empty for a letter the bulk write does not send.
QByteArray BulkWriteFrame(char letter, const ProtocolState& state);
