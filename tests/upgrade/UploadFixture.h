#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QtEndian>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "CMSComm.h"
#include "FakeClock.h"
#include "FirmwareUpload.h"
#include "IProtocolListener.h"
#include "IUploadListener.h"
#include "MemoryLine.h"
#include "ProtocolState.h"
#include "ReceiveDispatcher.h"

struct IgnoringProtocolListener : IProtocolListener {
    void OnValueRead(char, int) override {}
    void OnFirmwareVersion(int) override {}
};

struct RecordingUploadListener : IUploadListener {
    std::vector<UploadProgress> progress;
    std::vector<UploadOutcome> outcomes;
    void OnUploadProgress(const UploadProgress& p) override { progress.push_back(p); }
    void OnUploadEnded(const UploadOutcome& o) override { outcomes.push_back(o); }
};

// A boot loader's 64-byte answer: the packet it expects next and its sum.
inline QByteArray Answer(quint32 expected, quint32 sum = 0) {
    QByteArray answer(64, '\0');
    qToLittleEndian<quint32>(expected, answer.data() + 4);
    qToLittleEndian<quint32>(sum, answer.data() + 8);
    return answer;
}

// A packet as the tool must send it, built here independently of the code under test.
inline QByteArray Packet(quint8 type, quint32 number, const QByteArray& body = {}) {
    QByteArray packet(64, '\0');
    packet[0] = char(type);
    qToLittleEndian<quint32>(number, packet.data() + 4);
    packet.replace(8, body.size(), body);
    return packet;
}

inline quint32 ByteSum(const QByteArray& bytes) {
    quint32 sum = 0;
    for (char c : bytes) sum += quint8(c);
    return sum;
}

// The upload core on an in-memory line, wired as the main window and the command line wire it.
// A scripted boot loader answers every frame the tool writes; Pump() delivers its answers one
// receive event each, so a frame is only ever sent in reaction to an answer already taken.
class UploadTest : public ::testing::Test {
protected:
    UploadTest()
        : m_comm(MakeLine()),
          m_dispatcher(m_state, m_comm, m_clock, m_protocolListener),
          m_upload(m_state, m_comm, m_clock, m_dispatcher, m_listener) {
        m_comm.SetInputMode(CMSComm::comInputModeBinary);
        m_comm.SetRThreshold(1);
        m_comm.SetPortOpen(true);
        QObject::connect(&m_comm, &CMSComm::OnComm, [this] { m_dispatcher.OnComm(); });
        m_line->onWritten = [this](const QByteArray& frame) {
            if (!answering) return;
            if (const std::optional<QByteArray> answer = BootLoaderAnswer(frame))
                answers.push_back(*answer);
        };
    }

    // The well-behaved boot loader: tag QZMC, "RADY", then each packet acknowledged with its
    // number + 1 and the running sum of the data bytes. `ackFor` and `sumFor` replace the
    // number or the sum in the answer to the packet of that number.
    std::optional<QByteArray> BootLoaderAnswer(const QByteArray& frame) {
        if (frame == "?W\r") return QByteArray("?W\r=") + tag + "BL\r\n";
        if (frame.startsWith("UP")) return QByteArray("RADY");
        if (frame.size() != 64) return std::nullopt;
        const quint32 number = qFromLittleEndian<quint32>(frame.constData() + 4);
        if (quint8(frame[0]) == 0xA0) m_loaderSum = 0;
        if (quint8(frame[0]) == 0xA5) m_loaderSum += ByteSum(frame.mid(8));
        const quint32 ack = ackFor.count(number) ? ackFor[number] : number + 1;
        const quint32 sum = sumFor.count(number) ? sumFor[number] : m_loaderSum;
        return Answer(ack, sum);
    }

    // Delivers the next answer, or every answer until none is left.
    void PumpOne() {
        if (answers.empty()) return;
        const QByteArray answer = answers.front();
        answers.pop_front();
        m_line->Inject(answer);
    }
    void Pump() {
        while (!answers.empty()) PumpOne();
    }

    void Arrive(const QByteArray& bytes) { m_line->Inject(bytes); }

    std::vector<QByteArray> Sent() const {
        std::vector<QByteArray> frames;
        for (const auto& sent : m_line->Sent()) frames.push_back(sent.bytes);
        return frames;
    }

    bool answering = true;
    QByteArray tag = "QZMC";
    std::map<quint32, quint32> ackFor;
    std::map<quint32, quint32> sumFor;
    std::deque<QByteArray> answers;  // the boot loader's answers not yet delivered

    FakeClock m_clock;
    MemoryLine* m_line = nullptr;
    CMSComm m_comm;
    ProtocolState m_state;
    IgnoringProtocolListener m_protocolListener;
    CReceiveDispatcher m_dispatcher;
    RecordingUploadListener m_listener;
    CFirmwareUpload m_upload;

private:
    std::unique_ptr<ICommBackend> MakeLine() {
        auto line = std::make_unique<MemoryLine>(m_clock);
        m_line = line.get();
        return line;
    }

    quint32 m_loaderSum = 0;
};
