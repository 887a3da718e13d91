#pragma once

#include <span>
#include <string>
#include <vector>

#include "ParameterFileReader.h"

// One parameter a restore of the file would change: its letter, and both values as the window
// shows them on this firmware (the list entry for A, B and P, the mask for bit fields).
struct ParameterDifference {
    char letter;
    int controller;
    int file;
};

// The values an export of this cache writes (each setting as SavedFromShown makes it).
ParameterValues SavedValues(std::span<const int> cache, int fwVersion);

// The parameters the restore sends whose value in the file differs from the controller's (the
// cache of a complete read-back), in the restore's order. Compared as the restore would send
// them, so the battery, receiver, gyroscope and accelerometer flags and the frame never differ.
std::vector<ParameterDifference> DiffParameters(const ParameterValues& file,
                                                std::span<const int> cache, int fwVersion);

// The letters a restore sent whose value the read-back after it did not find, in the restore's
// order: the file's values compared with the cache as an export of it would save them, so that
// both sides are in the file's form. Empty when the controller took every value.
std::string LettersNotReadBack(const ParameterValues& restored, std::span<const int> cache,
                               int fwVersion);
