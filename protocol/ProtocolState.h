#pragma once

#include <QByteArray>
#include <array>

// The protocol state the main window owns: receive mode and buffer, retry budget, the
// parameter cache, the firmware version and the values handed over to the reply-driven chains.
struct ProtocolState {
    static constexpr int kCacheSlots = 200;
    static constexpr int kRestoreEntries = 220;
    static constexpr int kFullRetries = 3;

    // Receive modes.
    static constexpr int kModeReadBack = 0;
    static constexpr int kModeBootReady = 2;      // waiting for the boot loader's "RADY"/"RADE"
    static constexpr int kModeUploadData = 3;     // data packets
    static constexpr int kModeUploadEnd = 4;      // the last data packet is out
    static constexpr int kModeUploadConfirm = 5;  // the end packet with the sum is out
    static constexpr int kModeUploadFinal = 6;    // the confirm packet is out
    static constexpr int kModeBulkWrite = 7;
    static constexpr int kModeLive = 10;
    static constexpr int kModeSpecialSet = 15;
    static constexpr int kModeReverseReread = 20;
    static constexpr int kModeDeviceTag = 30;

    int m_nRxMode = kModeReadBack;
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

    // The device-tag inquiry and the boot-loader modes: a firmware upload owns the line.
    static constexpr bool IsUpgradeMode(int mode) {
        return mode == kModeDeviceTag || (mode >= kModeBootReady && mode <= kModeUploadFinal);
    }

    // A read of chosen letters (the command line's "get", the version before a "set"): the
    // letters still to be answered, the awaited one first. Empty when no such read runs.
    QByteArray m_strChosenQueries;
    // The letter of a set command whose echo is awaited in mode 0; 0 when none is.
    char m_cAwaitedEcho = 0;

    // Receive state as a port open leaves it.
    void ResetReceive() {
        m_nRxMode = kModeReadBack;
        m_strRxBuf.clear();
        m_nRxCount = 0;
        m_nQueryRetries = kFullRetries;
        m_strChosenQueries.clear();
        m_cAwaitedEcho = 0;
    }
};
