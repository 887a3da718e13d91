#pragma once

#include <QFile>
#include <algorithm>
#include <array>

#include "ParameterFileReader.h"
#include "ProtocolState.h"

// The parameter file in data/QZMC_Data.txt, written by hand, and the cache it was made from.
inline QByteArray GoldenFileBytes() {
    QFile file(QStringLiteral(VEXA_FILES_TEST_DATA "/QZMC_Data.txt"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

constexpr int kGoldenPort = 5;

inline std::array<int, ProtocolState::kCacheSlots> GoldenCache() {
    std::array<int, ProtocolState::kCacheSlots> cache{};
    const int settings[] = {5,  4,  2,  45,  7,   100, 0,  33, 60, 9,  50, 12,   99, 40,
                            35, 30, 25, 150, 200, 50,  60, 61, 62, -3, 20, -100, 330};
    for (int slot = 0; slot < 27; ++slot) cache[slot] = settings[slot];
    const int rest[] = {410, 412, 409, 411,               // batteries
                        1,   1,   1,   1,   1, 0, 0, 1,   // sensors
                        0,   0,   1,   0,   0, 0, 0, 0,   // receiver reverse
                        0,   1,   0,   0,   0, 0, 0, 0};  // output reverse
    for (int i = 0; i < 28; ++i) cache[27 + i] = rest[i];
    for (int cell = 0; cell < 120; ++cell) cache[55 + cell] = cell % 7 == 0 ? 1 : 0;
    const int frame[] = {4, 650, 650, -230, 230, 230, 230, -230, -230, 230, -230, 0, 0, 0, 0};
    for (int i = 0; i < 15; ++i) cache[175 + i] = frame[i];
    cache[190] = -5;
    cache[195] = 77;  // beyond the file's slots: never written
    return cache;
}

inline ParameterValues GoldenValues() {
    const auto cache = GoldenCache();
    ParameterValues values{};
    std::copy_n(cache.begin(), values.size(), values.begin());
    return values;
}
