// Bytes from the controller in every receive mode of the session, with the clock moving on
// between them.
//
// Input: byte 0 picks the receive mode, byte 1 what starts first (nothing, the read-back, the
// frame-geometry read-back, the bulk write); then records of a control byte and its data:
//   0x00-0xEF  a chunk of (control % 48) bytes arrives as one receive event
//   0xF0-0xF7  the clock moves on by a second (time-outs run)
//   0xF8-0xFF  an intent enters the receive mode picked by the next byte
// The device-tag and boot-loader modes (30, 2 to 6) are entered as the window enters them: the
// session's firmware upload starts on a small image.
#include <array>
#include <optional>

#include "CommError.h"
#include "FirmwareImage.h"
#include "FuzzInput.h"
#include "ParameterFileReader.h"
#include "SessionHarness.h"
#include "SmallFirmware.h"

namespace {

// Every receive mode the dispatcher knows.
constexpr std::array<RxMode, 11> kModes = {
    RxMode::ReadBack,      RxMode::BootReady,     RxMode::UploadData, RxMode::UploadEnd,
    RxMode::UploadConfirm, RxMode::UploadFinal,   RxMode::BulkWrite,  RxMode::Live,
    RxMode::SpecialSet,    RxMode::ReverseReread, RxMode::DeviceTag};

RxMode PickMode(uint8_t byte) { return kModes[byte % kModes.size()]; }

// Hears the upload's steps and keeps nothing.
struct UploadListener : IUploadListener {
    void OnUploadProgress(const UploadProgress&) override {}
};

// A receive mode entered as a caller of the session enters it: an upgrade mode starts the upload
// (mode 30), the others are entered by the intent that sends in them; mode 20 follows a reverse
// mask's echo in mode 15.
void SetMode(SessionHarness& h, UploadListener& listener, RxMode mode) {
    CControllerSession& session = h.Session();
    if (IsUpgradeMode(mode)) return void(session.StartUpload(SmallFirmware(), listener));
    switch (mode) {
        case RxMode::BulkWrite:
            return session.Restore(ParameterValues{});
        case RxMode::Live:
            return session.StartLiveDisplay();
        case RxMode::SpecialSet:
            // The chains' values at their largest, so that sums and offsets are stretched.
            return session.Calibrate({9999, 9999, 9999, 9999});
        case RxMode::ReverseReread:
            session.SetDeclination(0);
            session.SetReverseMask('N', 0);
            return h.Arrive("SN0000\r\n");
        default:
            return session.EnterIdle(false);
    }
}

void Start(SessionHarness& h, UploadListener& listener, uint8_t how, uint8_t mode) {
    switch (how % 4) {
        case 1:
            return h.Session().ReadBack();
        case 2:
            return h.Session().ReadFrame();
        case 3:
            return h.Session().Restore(ParameterValues{});
        default:
            SetMode(h, listener, PickMode(mode));
    }
}

void Run(SessionHarness& h, UploadListener& listener, FuzzInput& input) {
    const uint8_t mode = input.Byte();
    Start(h, listener, input.Byte(), mode);
    while (!input.AtEnd()) {
        const uint8_t control = input.Byte();
        if (control < 0xF0)
            h.Arrive(input.Bytes(control % 48));
        else if (control < 0xF8)
            h.Clock().Advance(std::chrono::seconds(1));
        else
            SetMode(h, listener, PickMode(input.Byte()));
    }
    for (const auto& sent : h.Line().Sent()) FUZZ_CHECK(!sent.bytes.isEmpty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SessionHarness harness;
    harness.Reset();
    static UploadListener listener;
    FuzzInput input(data, size);
    try {
        Run(harness, listener, input);
    } catch (const CommError&) {
        // The port stays open throughout; a CommError here is a finding.
        __builtin_trap();
    }
    return 0;
}
