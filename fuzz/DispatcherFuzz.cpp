// Bytes from the controller in every receive mode, with the clock moving on between them.
//
// Input: byte 0 picks the receive mode, byte 1 what starts first (nothing, the read-back, the
// frame-geometry read-back, the bulk write); then records of a control byte and its data:
//   0x00-0xEF  a chunk of (control % 48) bytes arrives as one receive event
//   0xF0-0xF7  the clock moves on by a second (time-outs run)
//   0xF8-0xFF  a sender enters the receive mode picked by the next byte
// The device-tag and boot-loader modes (30, 2 to 6) are entered as the window enters them: the
// firmware upload, registered with the dispatcher as in the window, starts on a small image.
#include <array>
#include <optional>

#include "CommError.h"
#include "DispatcherHarness.h"
#include "FirmwareUpload.h"
#include "FuzzInput.h"
#include "SmallFirmware.h"

namespace {

// Every receive mode the dispatcher knows.
constexpr std::array<RxMode, 11> kModes = {
    RxMode::ReadBack,      RxMode::BootReady, RxMode::UploadData,    RxMode::UploadEnd,
    RxMode::UploadConfirm, RxMode::UploadFinal, RxMode::BulkWrite,   RxMode::Live,
    RxMode::SpecialSet,    RxMode::ReverseReread, RxMode::DeviceTag};
constexpr qsizetype kRxBufferLimit = 64 * 1024;

RxMode PickMode(uint8_t byte) { return kModes[byte % kModes.size()]; }

// Hears the upload's steps and keeps nothing.
struct UploadListener : IUploadListener {
    void OnUploadProgress(const UploadProgress&) override {}
    void OnUploadEnded(const UploadOutcome&) override {}
};

// A receive mode entered as the session enters it: an upgrade mode starts the upload (mode 30),
// the others are entered by the step that sends in them; mode 20 follows a reverse mask's echo
// in mode 15.
void SetMode(DispatcherHarness& h, CFirmwareUpload& upload, RxMode mode) {
    CReceiveDispatcher& dispatcher = h.Dispatcher();
    if (IsUpgradeMode(mode)) return void(upload.Start(SmallFirmware()));
    switch (mode) {
        case RxMode::BulkWrite:
            return dispatcher.StartBulkWrite();
        case RxMode::Live:
            return dispatcher.StartLiveDisplay();
        case RxMode::SpecialSet:
            // The chains' values at their largest, so that sums and offsets are stretched.
            return dispatcher.StartCalibration({9999, 9999, 9999, 9999});
        case RxMode::ReverseReread:
            dispatcher.SendSpecialSet('Q', 175);
            dispatcher.SendMask('N', 0, true);
            return h.Arrive("SN0000\r\n");
        default:
            return dispatcher.EnterIdle(false);
    }
}

void Start(DispatcherHarness& h, CFirmwareUpload& upload, uint8_t how, uint8_t mode) {
    switch (how % 4) {
        case 1:
            return h.Dispatcher().StartReadBack();
        case 2:
            return h.Dispatcher().StartFrameGeometryRead();
        case 3:
            return h.Dispatcher().StartBulkWrite();
        default:
            SetMode(h, upload, PickMode(mode));
    }
}

void Run(DispatcherHarness& h, CFirmwareUpload& upload, FuzzInput& input) {
    const uint8_t mode = input.Byte();
    Start(h, upload, input.Byte(), mode);
    while (!input.AtEnd()) {
        const uint8_t control = input.Byte();
        if (control < 0xF0)
            h.Arrive(input.Bytes(control % 48));
        else if (control < 0xF8)
            h.Clock().Advance(std::chrono::seconds(1));
        else
            SetMode(h, upload, PickMode(input.Byte()));
        FUZZ_CHECK(h.State().m_nRxCount >= 0);
        FUZZ_CHECK(h.State().m_strRxBuf.size() <= kRxBufferLimit);
    }
    for (const auto& sent : h.Line().Sent()) FUZZ_CHECK(!sent.bytes.isEmpty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static DispatcherHarness harness;
    harness.Reset();
    static UploadListener listener;
    FuzzInput input(data, size);
    try {
        CFirmwareUpload upload(harness.State(), harness.Comm(), harness.Clock(),
                               harness.Dispatcher(), listener);
        Run(harness, upload, input);
    } catch (const CommError&) {
        // The port stays open throughout; a CommError here is a finding.
        __builtin_trap();
    }
    return 0;
}
