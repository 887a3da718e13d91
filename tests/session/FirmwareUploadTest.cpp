#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <deque>
#include <map>

#include "CMSComm.h"
#include "FakeClock.h"
#include "FirmwareUpload.h"
#include "IProtocolListener.h"
#include "LineReader.h"
#include "MemoryLine.h"
#include "ProtocolState.h"

namespace {

using namespace std::chrono_literals;

struct NoProtocolListener : IProtocolListener {
    void OnFirmwareVersion(int) override {}
};

struct RecordingListener : IUploadListener {
    std::vector<UploadProgress> progress;
    std::vector<UploadOutcome> outcomes;
    void OnUploadProgress(const UploadProgress& p) override { progress.push_back(p); }
    void OnUploadEnded(const UploadOutcome& o) override { outcomes.push_back(o); }
};

QByteArray Pattern(qsizetype length) {
    QByteArray bytes(length, '\0');
    for (qsizetype i = 0; i < length; ++i) bytes[i] = char(0x80 + i * 7);
    return bytes;
}

QByteArray Le32(quint32 value) {
    QByteArray bytes(4, '\0');
    qToLittleEndian<quint32>(value, bytes.data());
    return bytes;
}

quint32 ByteSum(const QByteArray& bytes) {
    quint32 sum = 0;
    for (char c : bytes) sum += quint8(c);
    return sum;
}

// A packet as the tool must send it (or a boot loader's answer), built here on its own.
QByteArray Packet(quint8 type, quint32 number, const QByteArray& body = {}) {
    QByteArray packet(64, '\0');
    packet[0] = char(type);
    packet.replace(4, 4, Le32(number));
    packet.replace(8, body.size(), body);
    return packet;
}

// The upload core on an in-memory line, wired as the window and the command line wire it. A
// scripted boot loader answers each frame (tag, "RADY", each packet with its number + 1 and the
// running sum); the answers wait in `answers` until the test delivers them, one event each.
class FirmwareUploadTest : public ::testing::Test {
protected:
    FirmwareUploadTest()
        : m_comm(MakeLine()),
          m_reader(m_state, m_comm, m_protocol),
          m_upload(m_state, m_comm, m_clock, m_reader, m_listener) {
        m_comm.SetInputMode(CMSComm::comInputModeBinary);
        m_comm.SetRThreshold(1);
        m_comm.SetPortOpen(true);
        QObject::connect(&m_comm, &CMSComm::OnComm, [this] { m_reader.OnComm(); });
        m_line->onWritten = [this](const QByteArray& frame) { answers.push_back(Answer(frame)); };
    }

    QByteArray Answer(const QByteArray& frame) {
        if (frame == "?W\r") return "?W\r=" + tag + "BL\r\n";
        if (frame.startsWith("UP")) return "RADY";
        const quint32 number = qFromLittleEndian<quint32>(frame.constData() + 4);
        if (quint8(frame[0]) == 0xA0) m_loaderSum = 0;
        if (quint8(frame[0]) == 0xA5) m_loaderSum += ByteSum(frame.mid(8));
        const quint32 ack = ackFor.count(number) ? ackFor[number] : number + 1;
        return Packet(0, ack, Le32(sumFor.count(number) ? sumFor[number] : m_loaderSum));
    }

    // Starts an upload of `file` and delivers the first `count` answers (all with -1).
    void StartAndAnswer(int count, const QByteArray& file = Pattern(111)) {
        m_line->ClearSent();
        m_listener = {};
        answers.clear();
        QFile out(m_dir.filePath(QStringLiteral("fw.bin")));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(file);
        out.close();
        FirmwareImage image;
        ASSERT_EQ(image.Load(out.fileName()), FirmwareCheck::Ok);
        ASSERT_TRUE(m_upload.Start(image));
        Deliver(count);
    }

    // Delivers the next `count` answers (all with -1), one receive event each.
    void Deliver(int count) {
        while (!answers.empty() && count-- != 0) {
            const QByteArray answer = answers.front();
            answers.pop_front();
            m_line->Inject(answer);
        }
    }

    std::vector<QByteArray> Sent() const {
        std::vector<QByteArray> frames;
        for (const auto& sent : m_line->Sent()) frames.push_back(sent.bytes);
        return frames;
    }

    void ExpectEnded(UploadResult result, UploadStage stage) {
        ASSERT_EQ(m_listener.outcomes.size(), 1u);
        EXPECT_EQ(m_listener.outcomes[0].result, result);
        EXPECT_EQ(m_listener.outcomes[0].stage, stage);
        EXPECT_EQ(int(m_reader.ReceiveMode()), 0);
        EXPECT_EQ(m_upload.Sum(), 0u);
        EXPECT_EQ(m_clock.PendingTimers(), 0u) << "an ended upload waits for nothing";
    }

    QByteArray tag = "QZMC";
    std::map<quint32, quint32> ackFor;  // packet number -> number its answer carries
    std::map<quint32, quint32> sumFor;  // packet number -> sum its answer carries
    std::deque<QByteArray> answers;

    QTemporaryDir m_dir;
    FakeClock m_clock;
    MemoryLine* m_line = nullptr;
    CMSComm m_comm;
    ProtocolState m_state;
    NoProtocolListener m_protocol;
    LineReader m_reader;
    RecordingListener m_listener;
    CFirmwareUpload m_upload;
    quint32 m_loaderSum = 0;

private:
    std::unique_ptr<ICommBackend> MakeLine() {
        auto line = std::make_unique<MemoryLine>(m_clock);
        m_line = line.get();
        return line;
    }
};

TEST_F(FirmwareUploadTest, ImagesGoOutPacketByPacketWithExactBytes) {
    const QByteArray file111 = Pattern(111);
    const QByteArray file100 = Pattern(100);
    const std::pair<QByteArray, QByteArray> cases[] = {
        // Data packet 3: bytes 56 to 111 of the buffer, the last being the zero after the file.
        {file111, file111.mid(56) + '\0'},
        // Bytes 56 to 101 of the buffer, then ten zeros.
        {file100, file100.mid(56) + QByteArray(12, '\0')},
    };
    for (const auto& [file, secondData] : cases) {
        SCOPED_TRACE(file.size());
        StartAndAnswer(-1, file);
        const quint32 sum = ByteSum(file.left(56)) + ByteSum(secondData);
        const std::vector<QByteArray> expected = {"?W\r",
                                                  "UPQZMC\r",
                                                  Packet(0xA0, 1),
                                                  Packet(0xA5, 2, file.left(56)),
                                                  Packet(0xA5, 3, secondData),
                                                  Packet(0xC8, 4, Le32(sum)),
                                                  Packet(0xA6, 5)};
        EXPECT_EQ(Sent(), expected);
        // The progress runs to N + 1 = 4; the percentage passes 100 in the last two steps.
        const std::vector<std::tuple<UploadStep, quint32, int>> steps = {
            {UploadStep::AskingDeviceTag, 0, 0}, {UploadStep::Started, 1, 25},
            {UploadStep::DataSent, 2, 50},       {UploadStep::DataSent, 3, 75},
            {UploadStep::EndSent, 4, 100},       {UploadStep::EndAnswered, 5, 125}};
        ASSERT_EQ(m_listener.progress.size(), steps.size());
        for (size_t i = 0; i < steps.size(); ++i) {
            const UploadProgress& p = m_listener.progress[i];
            EXPECT_EQ(std::tuple(p.step, p.packet, p.percent), steps[i]) << i;
        }
        ExpectEnded(UploadResult::Succeeded, UploadStage::Confirm);
        EXPECT_EQ(m_listener.outcomes[0].percent, 150);
    }
}

TEST_F(FirmwareUploadTest, WrongAnswerEndsTheUploadAndNothingFollows) {
    const quint32 rightSum = ByteSum(Pattern(111));
    struct Case {
        quint32 packet;  // the packet whose answer is wrong
        bool wrongSum;   // its sum differs (else its number is one too low)
        UploadResult result;
        UploadStage stage;  // where the upload stands when the answer comes
    };
    const Case cases[] = {{1, false, UploadResult::WrongAck, UploadStage::Data},
                          {2, false, UploadResult::WrongAck, UploadStage::Data},
                          {3, false, UploadResult::WrongAck, UploadStage::LastData},
                          {4, false, UploadResult::WrongAck, UploadStage::EndPacket},
                          {5, false, UploadResult::WrongAck, UploadStage::Confirm},
                          {4, true, UploadResult::ChecksumMismatch, UploadStage::Confirm}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.packet);
        ackFor.clear();
        sumFor.clear();
        if (c.wrongSum)
            sumFor[c.packet] = rightSum + 1;
        else
            ackFor[c.packet] = c.packet;
        StartAndAnswer(-1);
        ExpectEnded(c.result, c.stage);
        ASSERT_EQ(Sent().size(), 2 + c.packet) << "no packet after the one answered wrongly";
    }
}

TEST_F(FirmwareUploadTest, AnswersSplitAcrossEventsAreRecognisedAtTheirLastByte) {
    for (int chunk : {1, 5, 11, 63}) {
        SCOPED_TRACE(chunk);
        StartAndAnswer(0);
        while (!answers.empty()) {
            const QByteArray answer = answers.front();
            answers.pop_front();
            for (qsizetype at = 0; at < answer.size(); at += chunk) {
                const size_t before = Sent().size();
                m_line->Inject(answer.mid(at, chunk));
                // The device tag's answer is complete once the tag is in; its rest is not
                // waited for.
                if (at + chunk < answer.size() && !answer.startsWith("?W")) {
                    EXPECT_EQ(Sent().size(), before) << at;
                }
            }
        }
        ExpectEnded(UploadResult::Succeeded, UploadStage::Confirm);
    }
    // Bytes after a whole answer in the same event cannot answer the packet sent next.
    StartAndAnswer(3);
    answers.front() += QByteArray(20, '\x55');
    Deliver(1);
    EXPECT_EQ(m_state.m_nRxCount, 0);
    Deliver(-1);
    ExpectEnded(UploadResult::Succeeded, UploadStage::Confirm);
}

TEST_F(FirmwareUploadTest, DeviceTagChoosesTheStartWordAndAnUnknownTagKeepsWaiting) {
    tag = "QZEC";
    StartAndAnswer(1);
    EXPECT_EQ(Sent().back(), "UPQZEC\r");
    m_clock.Advance(CFirmwareUpload::kAnswerTimeout);

    tag = "ABCD";
    StartAndAnswer(1);
    EXPECT_EQ(Sent().size(), 1u);
    EXPECT_EQ(int(m_reader.ReceiveMode()), 30);
    m_line->Inject("?W\r=QZ");  // a known tag after it is still taken, in pieces
    m_line->Inject("MCBL\r\n");
    EXPECT_EQ(Sent().back(), "UPQZMC\r");
    m_line->Inject("RA");
    EXPECT_EQ(int(m_reader.ReceiveMode()), 2);
    m_line->Inject("DE");
    EXPECT_EQ(Sent().back(), Packet(0xA0, 1));
}

TEST_F(FirmwareUploadTest, SilentDeviceEndsTheUploadAfterThreeSecondsInEachMode) {
    // Answers given before the device falls silent, and where the upload is left waiting.
    const std::pair<int, UploadStage> cases[] = {
        {0, UploadStage::DeviceTag}, {1, UploadStage::BootReady}, {2, UploadStage::Data},
        {4, UploadStage::LastData},  {5, UploadStage::EndPacket}, {6, UploadStage::Confirm}};
    for (const auto& [given, stage] : cases) {
        SCOPED_TRACE(given);
        StartAndAnswer(given);
        const size_t sent = Sent().size();
        m_clock.Advance(2999ms);
        EXPECT_TRUE(m_listener.outcomes.empty());
        m_clock.Advance(1ms);
        ExpectEnded(UploadResult::TimedOut, stage);
        EXPECT_EQ(Sent().size(), sent);
    }
    // Each answer gives the next one the full time.
    StartAndAnswer(0);
    while (!answers.empty()) {
        m_clock.Advance(2900ms);
        Deliver(1);
    }
    ExpectEnded(UploadResult::Succeeded, UploadStage::Confirm);
}

TEST_F(FirmwareUploadTest, LineLostEndsTheUploadOnceAndANewUploadRunsAfterReopening) {
    StartAndAnswer(3);
    m_line->HangUp();
    QCoreApplication::processEvents();
    m_clock.Advance(10s);
    ExpectEnded(UploadResult::LineLost, UploadStage::Data);

    StartAndAnswer(0);  // on the closed port it ends at once, without a frame
    ExpectEnded(UploadResult::LineLost, UploadStage::DeviceTag);
    EXPECT_TRUE(Sent().empty());

    m_comm.SetPortOpen(true);
    StartAndAnswer(-1);
    ExpectEnded(UploadResult::Succeeded, UploadStage::Confirm);
}

}  // namespace
