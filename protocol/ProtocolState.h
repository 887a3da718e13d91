#pragma once

#include <QByteArray>
#include <array>

// The protocol state the controller session owns: receive buffer, retry budget, the parameter
// cache, the firmware version and the values handed over to the reply-driven chains. The
// receive mode is the dispatcher's own (RxMode).
struct ProtocolState {
    static constexpr int kCacheSlots = 200;
    static constexpr int kRestoreEntries = 220;
    static constexpr int kFullRetries = 3;

    QByteArray m_strRxBuf;  // received bytes in arrival order, one character per byte
    int m_nRxCount = 0;     // bytes appended since the count was last reset
    int m_nQueryRetries = kFullRetries;
    std::array<int, kCacheSlots> m_nParamCache{};
    int m_nFwVersion = 0;  // the number read with "?V" (1218 for 1.218)

    // Hand-over values of the special set chains.
    std::array<int, 4> m_nCalibration{};   // the four cell values of the calibration chain
    std::array<int, 15> m_nFrameRecord{};  // axis count, max X, max Y, motor 1 X, 1 Y ... 6 Y
    // The cache slots (175-189) that keep the last saved frame record, without offsets.
    static constexpr int kFrameRecordFirstSlot = 175;

    // Restore table filled from a saved parameter file: line n holds its text from byte 13 on;
    // the flag and grid lines are also kept converted.
    std::array<QByteArray, kRestoreEntries> m_strRestoreText;
    std::array<int, kRestoreEntries> m_nRestoreValue{};

    // Live data: eight receiver values, then eight output values, each in wire order.
    std::array<int, 16> m_nLiveChannels{};

    // A read of chosen letters (the command line's "get", the version before a "set"): the
    // letters still to be answered, the awaited one first. Empty when no such read runs.
    QByteArray m_strChosenQueries;
    // The letter of a set command whose echo is awaited in mode 0; 0 when none is.
    char m_cAwaitedEcho = 0;

    // Receive state as a port open leaves it.
    void ResetReceive() {
        m_strRxBuf.clear();
        m_nRxCount = 0;
        m_nQueryRetries = kFullRetries;
        m_strChosenQueries.clear();
        m_cAwaitedEcho = 0;
    }
};
