#pragma once

// How the session's line reader reads what the controller sends: set by the conversation that
// has the line (and the firmware upload's steps); nothing outside session/ sees it.
enum class RxMode {
    ReadBack = 0,        // query replies and set echoes; the read-back chains
    BootReady = 2,       // waiting for the boot loader's "RADY"/"RADE"
    UploadData = 3,      // data packets
    UploadEnd = 4,       // the last data packet is out
    UploadConfirm = 5,   // the end packet with the sum is out
    UploadFinal = 6,     // the confirm packet is out
    BulkWrite = 7,       // the restore of a parameter file
    Live = 10,           // the live data stream
    SpecialSet = 15,     // the calibration and frame save chains, the declination, the directions
    ReverseReread = 20,  // a reverse mask just written, read back
    DeviceTag = 30,      // the device-tag inquiry that opens a firmware upload
};

// The device-tag inquiry and the boot-loader modes: a firmware upload owns the line.
constexpr bool IsUpgradeMode(RxMode mode) {
    return mode == RxMode::DeviceTag || (mode >= RxMode::BootReady && mode <= RxMode::UploadFinal);
}
