#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QtEndian>
#include <algorithm>
#include <deque>
#include <map>

#include "FirmwareUpload.h"
#include "SessionFixture.h"

namespace {

using namespace std::chrono_literals;

struct ProgressListener : IUploadListener {
    std::vector<UploadProgress> progress;
    void OnUploadProgress(const UploadProgress& p) override { progress.push_back(p); }
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

// The upload on the controller session over an in-memory line, as the window and the command
// line start it. A scripted boot loader answers each frame (tag, "RADY", each packet with its
// number + 1 and the running sum; the read-back after a confirmed upload goes unanswered); the
// answers wait in `answers` until the test delivers them, one event each.
class FirmwareUploadTest : public ::testing::Test, public SessionRig {
public:
    FirmwareUploadTest() {
        controller = [this](const QByteArray& frame) -> std::vector<QByteArray> {
            const QByteArray answer = Answer(frame);
            if (!answer.isEmpty()) answers.push_back(answer);
            return {};
        };
    }

    QByteArray Answer(const QByteArray& frame) {
        if (frame == "?W\r") return "?W\r=" + tag + "BL\r\n";
        if (frame.startsWith("UP")) return "RADY";
        if (frame.size() != 64) return {};
        const quint32 number = qFromLittleEndian<quint32>(frame.constData() + 4);
        if (quint8(frame[0]) == 0xA0) m_loaderSum = 0;
        if (quint8(frame[0]) == 0xA5) m_loaderSum += ByteSum(frame.mid(8));
        const quint32 ack = ackFor.count(number) ? ackFor[number] : number + 1;
        return Packet(0, ack, Le32(sumFor.count(number) ? sumFor[number] : m_loaderSum));
    }

    // Starts an upload of `file` and delivers the first `count` answers (all with -1).
    void StartAndAnswer(int count, const QByteArray& file = Pattern(111)) {
        m_line->ClearSent();
        m_progress = {};
        m_listener.ends.clear();
        answers.clear();
        QFile out(m_dir.filePath(QStringLiteral("fw.bin")));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(file);
        out.close();
        FirmwareImage image;
        ASSERT_EQ(image.Load(out.fileName()), FirmwareCheck::Ok);
        ASSERT_TRUE(m_session.StartUpload(image, m_progress));
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

    // The upload's frames: what went out before the read-back that follows a confirmed upload.
    std::vector<QByteArray> Sent() const {
        std::vector<QByteArray> frames = SentFrames();
        frames.erase(std::find(frames.begin(), frames.end(), QByteArray("?V\r")), frames.end());
        return frames;
    }

    // The upload's end, told once with the other chains' ends.
    const UploadOutcome& Outcome() {
        static const UploadOutcome none{};
        if (m_listener.ends.size() != 1 || !m_listener.ends[0].upload) return none;
        return *m_listener.ends[0].upload;
    }

    // Told once, as the end of the upload chain, and no upload runs any more; after a confirmed
    // upload the read-back follows, after any other end nothing waits.
    void ExpectEnded(UploadResult result, UploadStage stage) {
        ASSERT_EQ(m_listener.ends.size(), 1u);
        ASSERT_TRUE(m_listener.ends[0].upload);
        EXPECT_EQ(m_listener.ends[0].chain, Chain::Upload);
        EXPECT_EQ(Outcome().result, result);
        EXPECT_EQ(Outcome().stage, stage);
        EXPECT_FALSE(m_session.UploadRunning());
        EXPECT_EQ(m_session.UploadStageNow(), std::nullopt);
        if (result == UploadResult::Succeeded) {
            EXPECT_EQ(SentFrames().back(), "?V\r");
        } else {
            EXPECT_EQ(m_clock.PendingTimers(), 0u) << "an ended upload waits for nothing";
        }
    }

    QByteArray tag = "QZMC";
    std::map<quint32, quint32> ackFor;  // packet number -> number its answer carries
    std::map<quint32, quint32> sumFor;  // packet number -> sum its answer carries
    std::deque<QByteArray> answers;

    QTemporaryDir m_dir;
    ProgressListener m_progress;
    quint32 m_loaderSum = 0;
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
        ASSERT_EQ(m_progress.progress.size(), steps.size());
        for (size_t i = 0; i < steps.size(); ++i) {
            const UploadProgress& p = m_progress.progress[i];
            EXPECT_EQ(std::tuple(p.step, p.packet, p.percent), steps[i]) << i;
        }
        ExpectEnded(UploadResult::Succeeded, UploadStage::Confirm);
        EXPECT_EQ(Outcome().percent, 150);
        EXPECT_EQ(Outcome().sentSum, sum);
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
    Deliver(-1);
    ExpectEnded(UploadResult::Succeeded, UploadStage::Confirm);
}

TEST_F(FirmwareUploadTest, DeviceTagChoosesTheStartWordAndAnUnknownTagKeepsWaiting) {
    tag = "QZEC";
    StartAndAnswer(1);
    EXPECT_EQ(Sent().back(), "UPQZEC\r");
    m_clock.Advance(FirmwareUpload::kAnswerTimeout);

    tag = "ABCD";
    StartAndAnswer(1);
    EXPECT_EQ(Sent().size(), 1u);
    EXPECT_EQ(m_session.UploadStageNow(), UploadStage::DeviceTag);
    m_line->Inject("?W\r=QZ");  // a known tag after it is still taken, in pieces
    m_line->Inject("MCBL\r\n");
    EXPECT_EQ(Sent().back(), "UPQZMC\r");
    m_line->Inject("RA");
    EXPECT_EQ(m_session.UploadStageNow(), UploadStage::BootReady);
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
        EXPECT_EQ(m_session.UploadStageNow(), stage);
        m_clock.Advance(2999ms);
        EXPECT_TRUE(m_listener.ends.empty());
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
    EXPECT_EQ(Outcome().detail, QStringLiteral("the device was removed"));

    StartAndAnswer(0);  // on the closed port it ends at once, without a frame
    ExpectEnded(UploadResult::LineLost, UploadStage::DeviceTag);
    EXPECT_TRUE(Sent().empty());

    m_session.OpenPort();
    StartAndAnswer(-1);
    ExpectEnded(UploadResult::Succeeded, UploadStage::Confirm);
}

// How each end is told as the end of a chain, beside the upload's own outcome: only a confirmed
// upload is done; an answer with another number or sum is an answer with another value.
TEST_F(FirmwareUploadTest, EachEndIsToldOnceAsTheChainsEnd) {
    const struct {
        const char* how;
        std::function<void(FirmwareUploadTest&)> end;
        ChainResult told;
    } rows[] = {
        {"confirmed", [](FirmwareUploadTest&) {}, ChainResult::Done},
        {"wrong number", [](FirmwareUploadTest& t) { t.ackFor[2] = 2; }, ChainResult::OtherValue},
        {"wrong sum", [](FirmwareUploadTest& t) { t.sumFor[4] = 1; }, ChainResult::OtherValue},
        {"silence", [](FirmwareUploadTest& t) { t.answers.clear(); }, ChainResult::NoAnswer},
        {"adapter pulled", [](FirmwareUploadTest& t) { t.m_line->HangUp(); },
         ChainResult::LineLost},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.how);
        ackFor.clear();
        sumFor.clear();
        m_session.OpenPort();
        StartAndAnswer(2);
        row.end(*this);
        Deliver(-1);
        QCoreApplication::processEvents();
        m_clock.Advance(FirmwareUpload::kAnswerTimeout);
        ASSERT_EQ(m_listener.ends.size(), 1u);
        EXPECT_EQ(m_listener.ends[0].result, row.told);
    }
}

// A second start while an upload runs, at any step, is refused with nothing sent; the running
// upload goes on to its end, told once.
TEST_F(FirmwareUploadTest, ASecondStartWhileOneRunsIsRefusedWithNothingSent) {
    FirmwareImage image;
    for (int given : {0, 1, 2, 4, 5}) {
        SCOPED_TRACE(given);
        StartAndAnswer(given);
        if (!image.IsLoaded()) {
            ASSERT_EQ(image.Load(m_dir.filePath(QStringLiteral("fw.bin"))), FirmwareCheck::Ok);
        }
        const std::vector<QByteArray> before = SentFrames();
        EXPECT_FALSE(m_session.StartUpload(image, m_progress));
        EXPECT_EQ(SentFrames(), before);
        EXPECT_TRUE(m_listener.ends.empty());
        Deliver(-1);
        ExpectEnded(UploadResult::Succeeded, UploadStage::Confirm);
    }
}

// Bytes a conversation before the upload left unfinished in the receive buffer (here a late
// piece of an earlier tag answer) are no part of the tag's answer.
TEST_F(FirmwareUploadTest, StaleBytesBeforeTheStartAreNoPartOfTheTagsAnswer) {
    m_line->Inject("?W\r=QZEC");
    StartAndAnswer(0);
    answers.clear();
    m_line->Inject("?");
    m_line->Inject("W\r=QZMCBL\r\n");
    EXPECT_EQ(Sent(), (std::vector<QByteArray>{"?W\r", "UPQZMC\r"}));
}

// Before its ready word the boot loader may send anything (the rest of the tag's answer, noise):
// each byte that can no longer begin the word is dropped at once and written to the debug log,
// as are the word's line end and what comes behind a complete packet answer.
TEST_F(FirmwareUploadTest, EveryByteTheUploadDropsIsLoggedAsItIsDropped) {
    static QStringList logged;
    struct Row {
        std::vector<QByteArray> reads;  // the answer to the start word, as it is read
        std::vector<std::pair<const char*, const char*>> said;  // bytes and why, in this order
    };
    const Row rows[] = {
        {{"BL\r\nRA", "DY"},
         {{"\"BL\\r\"", "cannot become the ready word"}, {"\"\\n\"", "before the ready word"}}},
        {{"x", "yzRA", "DE\r"},
         {{"\"xy\"", "cannot become"},
          {"\"z\"", "before the ready word"},
          {"\"\\r\"", "line end"}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.reads.front().toStdString());
        StartAndAnswer(1);
        answers.clear();
        logged.clear();
        const QtMessageHandler previous =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
                if (text.startsWith(QLatin1String("Dropped"))) logged << text;
            });
        for (const QByteArray& read : row.reads) m_line->Inject(read);
        qInstallMessageHandler(previous);
        EXPECT_EQ(Sent().back(), Packet(0xA0, 1));
        ASSERT_EQ(logged.size(), qsizetype(row.said.size())) << logged.join('\n').toStdString();
        for (size_t i = 0; i < row.said.size(); ++i) {
            EXPECT_TRUE(logged[qsizetype(i)].contains(QLatin1String(row.said[i].first)) &&
                        logged[qsizetype(i)].contains(QLatin1String(row.said[i].second)))
                << logged[qsizetype(i)].toStdString();
        }
        m_clock.Advance(FirmwareUpload::kAnswerTimeout);
    }
}

}  // namespace
