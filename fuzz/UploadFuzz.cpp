// A firmware upload of a small image through the controller session (modes 30 and 2 to 6),
// answered by a boot loader that may be right, wrong, late, noisy or gone.
//
// Input: byte 0 picks the device's tag and ready word; then records of a control byte and its data:
//   0x00-0x9F  (control % 80) bytes of the input arrive as one receive event
//   0xA0-0xBF  the right answer to the last frame sent arrives, cut in two events at the next byte
//   0xC0-0xCF  the right answer with one byte changed (next byte: where, the one after: xor)
//   0xD0-0xD7  the right answer and (control % 8) more input bytes in one event
//   0xD8-0xDF  the clock moves on by a second (an answer is awaited for three)
//   0xE0-0xE7  the adapter is pulled; the port is opened again by the following record
//   0xE8-0xFF  the operator starts the upload (again)
//
// Checked: an upload is told ended once per start, as the end of an upload chain; it owns the
// line until then, and a start while it runs is refused with nothing sent; the packets go out
// numbered 1, 2, 3 ... each after an answer; success only after every data byte of the image
// went out and the confirm packet was acknowledged with the right sum.
#include <QCoreApplication>
#include <QtEndian>
#include <array>

#include "CommError.h"
#include "FuzzInput.h"
#include "SessionHarness.h"
#include "SmallFirmware.h"
#include "UploadPacket.h"

namespace {

struct Listener : IUploadListener {
    int ended = 0;
    UploadResult result = UploadResult::TimedOut;
    void OnUploadProgress(const UploadProgress& progress) override {
        FUZZ_CHECK(progress.packets == SmallFirmware().Packets());
    }
    void OnEnded(const ChainEnd& end) {
        if (end.chain != Chain::Upload) return;
        FUZZ_CHECK(end.upload.has_value());
        ++ended;
        result = end.upload->result;
    }
};

class UploadRun {
public:
    UploadRun(SessionHarness& h, uint8_t device)
        : m_h(h), m_tag(device & 1 ? "QZEC" : "QZMC"), m_ready(device & 2 ? "RADE" : "RADY") {
        m_h.onChainEnded = [this](const ChainEnd& end) { m_listener.OnEnded(end); };
    }
    ~UploadRun() { m_h.onChainEnded = nullptr; }

    void Step(uint8_t control, FuzzInput& input) {
        if (!m_h.Session().PortOpen()) m_h.Session().OpenPort();
        if (control < 0xA0) {
            m_h.Arrive(input.Bytes(control % 80));
        } else if (control < 0xC0) {
            const QByteArray answer = Answer();
            const qsizetype cut = answer.isEmpty() ? 0 : input.Byte() % answer.size();
            m_h.Arrive(answer.first(cut));
            m_h.Arrive(answer.sliced(cut));
        } else if (control < 0xD0) {
            QByteArray answer = Answer();
            const uint8_t at = input.Byte(), mask = input.Byte();
            if (!answer.isEmpty()) answer[at % answer.size()] ^= char(mask);
            m_h.Arrive(answer);
        } else if (control < 0xD8) {
            m_h.Arrive(Answer() + input.Bytes(control % 8).toByteArray());
        } else if (control < 0xE0) {
            m_h.Clock().Advance(std::chrono::seconds(1));
        } else if (control < 0xE8) {
            m_h.Line().HangUp();
            QCoreApplication::sendPostedEvents();
        } else {
            Start();
        }
        CheckState();
    }

    void Start() {
        const bool running = m_h.Session().UploadRunning();
        const std::size_t before = m_h.Line().Sent().size();
        FUZZ_CHECK(m_h.Session().StartUpload(SmallFirmware(), m_listener) == !running);
        if (running) {
            FUZZ_CHECK(m_h.Line().Sent().size() == before);
            return;
        }
        ++m_started;
        m_nextPacket = 1;
        m_dataSent.clear();
    }

    // After the last record: whatever has not ended ends with the time-out.
    void Finish() {
        m_h.Clock().Advance(std::chrono::seconds(4));
        CheckState();
        FUZZ_CHECK(!m_h.Session().UploadRunning());
        FUZZ_CHECK(m_listener.ended == m_started);
    }

private:
    // What a sound boot loader answers to the last frame sent.
    QByteArray Answer() const {
        const auto& sent = m_h.Line().Sent();
        if (sent.empty()) return {};
        const QByteArray& frame = sent.back().bytes;
        if (frame == "?W\r") return "?W\r=" + m_tag + "BL\r\n";
        if (frame.startsWith("UP")) return m_ready;
        if (frame.size() != upload::kPacketSize) return {};
        QByteArray answer(upload::kPacketSize, '\0');
        qToLittleEndian<quint32>(qFromLittleEndian<quint32>(frame.constData() + 4) + 1,
                                 answer.data() + 4);
        qToLittleEndian<quint32>(upload::AddToSum(0, m_dataSent), answer.data() + 8);
        return answer;
    }

    void CheckState() {
        CControllerSession& session = m_h.Session();
        const bool running = session.UploadRunning();
        FUZZ_CHECK(m_listener.ended == m_started - (running ? 1 : 0));
        FUZZ_CHECK(running == (session.RunningChain() == Chain::Upload));
        FUZZ_CHECK(running == session.UploadStageNow().has_value());
        CheckNewFrames();
        if (m_listener.ended == m_started && m_started > m_checkedSuccesses &&
            m_listener.result == UploadResult::Succeeded) {
            ++m_checkedSuccesses;
            // Every image byte went out, and the byte the upload adds past the file.
            FUZZ_CHECK(m_dataSent.size() >= kSmallFirmwareBytes + 1);
            FUZZ_CHECK(m_dataSent.first(kSmallFirmwareBytes) ==
                       SmallFirmware().Buffer().first(kSmallFirmwareBytes));
            FUZZ_CHECK(m_nextPacket == SmallFirmware().Packets() + 3);
        }
    }

    // Packets go out in order, one number after the other; data packets carry the image.
    void CheckNewFrames() {
        const auto& sent = m_h.Line().Sent();
        for (; m_seen < sent.size(); ++m_seen) {
            const QByteArray& frame = sent[m_seen].bytes;
            if (frame.size() != upload::kPacketSize) continue;
            FUZZ_CHECK(qFromLittleEndian<quint32>(frame.constData() + 4) == m_nextPacket);
            ++m_nextPacket;
            if (quint8(frame[0]) == quint8(upload::PacketType::Data)) m_dataSent += frame.sliced(8);
        }
    }

    SessionHarness& m_h;
    QByteArray m_tag;
    QByteArray m_ready;
    Listener m_listener;
    int m_started = 0;
    int m_checkedSuccesses = 0;
    std::size_t m_seen = 0;
    quint32 m_nextPacket = 1;
    QByteArray m_dataSent;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "fuzz_upload";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    static SessionHarness harness;
    harness.Reset();
    FuzzInput input(data, size);
    try {
        UploadRun run(harness, input.Byte());
        run.Start();
        while (!input.AtEnd()) run.Step(input.Byte(), input);
        run.Finish();
    } catch (const CommError&) {
        // The upload ends itself on every refusal of the line; a CommError here is a finding.
        __builtin_trap();
    }
    return 0;
}
