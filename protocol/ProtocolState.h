#pragma once

#include <QByteArray>
#include <array>

#include "ParameterCache.h"

// The protocol state the controller session owns: receive buffer, the parameter cache, the
// firmware version and the restore table. What each conversation waits for is its own.
struct ProtocolState {
    static constexpr int kCacheSlots = ParameterCache::kSlots;
    static constexpr int kRestoreEntries = 220;

    QByteArray m_strRxBuf;  // received bytes in arrival order, one character per byte
    int m_nRxCount = 0;     // bytes appended since the count was last reset
    ParameterCache m_nParamCache;
    int m_nFwVersion = 0;  // the number read with "?V" (1218 for 1.218)

    // The cache slots (175-189) that keep the last saved frame record, without offsets.
    static constexpr int kFrameRecordFirstSlot = 175;

    // Restore table filled from a saved parameter file: line n holds its text from byte 13 on;
    // the flag and grid lines are also kept converted.
    std::array<QByteArray, kRestoreEntries> m_strRestoreText;
    std::array<int, kRestoreEntries> m_nRestoreValue{};

    // Live data: eight receiver values, then eight output values, each in wire order.
    std::array<int, 16> m_nLiveChannels{};

    // Receive state as a port open leaves it.
    void ResetReceive() {
        m_strRxBuf.clear();
        m_nRxCount = 0;
    }
};
