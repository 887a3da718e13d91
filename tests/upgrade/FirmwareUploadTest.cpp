#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "FirmwareImage.h"
#include "SimBackend.h"
#include "SteadyClock.h"
#include "UploadFixture.h"

namespace {

using namespace std::chrono_literals;

QByteArray Pattern(qsizetype length) {
    QByteArray bytes(length, '\0');
    for (qsizetype i = 0; i < length; ++i) bytes[i] = char(0x80 + i * 7);
    return bytes;
}

class FirmwareUploadTest : public UploadTest {
protected:
    FirmwareImage Image(const QByteArray& file) {
        const QString path = m_dir.filePath(QStringLiteral("fw.bin"));
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(file);
        out.close();
        FirmwareImage image;
        EXPECT_EQ(image.Load(path), FirmwareCheck::Ok);
        return image;
    }

    // Starts an upload of a 111-byte image (N = 3: packets 1 to 5) and delivers `answers`
    // of the boot loader's answers (tag, ready word, then one per packet).
    void StartAndAnswer(int answers) {
        ASSERT_TRUE(m_upload.Start(Image(Pattern(111))));
        for (int i = 0; i < answers; ++i) PumpOne();
    }

    void ExpectEndedAs(UploadResult result, int mode) {
        ASSERT_EQ(m_listener.outcomes.size(), 1u);
        EXPECT_EQ(m_listener.outcomes[0].result, result);
        EXPECT_EQ(m_listener.outcomes[0].mode, mode);
        EXPECT_EQ(m_state.m_nRxMode, 0);
        EXPECT_EQ(m_upload.Sum(), 0u);
        EXPECT_FALSE(m_upload.IsRunning());
        EXPECT_EQ(m_clock.PendingTimers(), 0u) << "an ended upload waits for nothing";
    }

    QTemporaryDir m_dir;
};

TEST_F(FirmwareUploadTest, ImagesGoOutPacketByPacketWithExactBytes) {
    struct Case {
        qsizetype length;
        QByteArray secondData;  // data packet 3's 56 bytes
    };
    const QByteArray file111 = Pattern(111);
    const QByteArray file100 = Pattern(100);
    const Case cases[] = {
        // Bytes 56 to 111 of the buffer: the file's last 55 and the zero after it.
        {111, file111.mid(56) + QByteArray(1, '\0')},
        // Bytes 56 to 101 of the buffer, then ten zeros.
        {100, file100.mid(56) + QByteArray(12, '\0')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        m_line->ClearSent();
        m_listener = {};
        const QByteArray file = Pattern(c.length);
        ASSERT_TRUE(m_upload.Start(Image(file)));
        EXPECT_EQ(m_state.m_nRxMode, 30);
        Pump();

        const QByteArray firstData = file.left(56);
        const quint32 sum = ByteSum(firstData) + ByteSum(c.secondData);
        QByteArray sumBytes(4, '\0');
        qToLittleEndian<quint32>(sum, sumBytes.data());
        const std::vector<QByteArray> expected = {
            "?W\r",
            "UPQZMC\r",
            Packet(0xA0, 1),
            Packet(0xA5, 2, firstData),
            Packet(0xA5, 3, c.secondData),
            Packet(0xC8, 4, sumBytes),
            Packet(0xA6, 5),
        };
        EXPECT_EQ(Sent(), expected);

        // The bar runs 0 to N + 1 = 4; the percentage passes 100 in the last two steps.
        const std::vector<std::tuple<UploadStep, quint32, int>> steps = {
            {UploadStep::AskingDeviceTag, 0, 0}, {UploadStep::Started, 1, 25},
            {UploadStep::DataSent, 2, 50},       {UploadStep::DataSent, 3, 75},
            {UploadStep::EndSent, 4, 100},       {UploadStep::EndAnswered, 5, 125}};
        ASSERT_EQ(m_listener.progress.size(), steps.size());
        for (size_t i = 0; i < steps.size(); ++i) {
            EXPECT_EQ(m_listener.progress[i].step, std::get<0>(steps[i])) << i;
            EXPECT_EQ(m_listener.progress[i].packet, std::get<1>(steps[i])) << i;
            EXPECT_EQ(m_listener.progress[i].percent, std::get<2>(steps[i])) << i;
            EXPECT_EQ(m_listener.progress[i].packets, 3u);
        }
        ExpectEndedAs(UploadResult::Succeeded, 6);
        EXPECT_EQ(m_listener.outcomes[0].packet, 6u);
        EXPECT_EQ(m_listener.outcomes[0].percent, 150);
    }
}

TEST_F(FirmwareUploadTest, AnswerOneTooLowEndsTheUploadInEachMode) {
    struct Case {
        quint32 packet;  // the packet whose answer carries its own number
        int mode;        // the mode that answer is evaluated in
    };
    const Case cases[] = {{1, 3}, {2, 3}, {3, 4}, {4, 5}, {5, 6}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.packet);
        m_line->ClearSent();
        m_listener = {};
        ackFor = {{c.packet, c.packet}};
        ASSERT_TRUE(m_upload.Start(Image(Pattern(111))));
        Pump();
        ExpectEndedAs(UploadResult::WrongAck, c.mode);
        EXPECT_EQ(m_listener.outcomes[0].ackNo, c.packet);
        // Nothing follows the packet whose answer was wrong.
        ASSERT_EQ(Sent().size(), 2 + c.packet);
        EXPECT_EQ(qFromLittleEndian<quint32>(Sent().back().constData() + 4), c.packet);
    }
}

TEST_F(FirmwareUploadTest, EndAnswerWithAnotherSumIsNotConfirmed) {
    const quint32 rightSum = ByteSum(Pattern(111));
    sumFor = {{4, rightSum + 1}};
    StartAndAnswer(0);
    Pump();
    ExpectEndedAs(UploadResult::ChecksumMismatch, 6);
    EXPECT_EQ(m_listener.outcomes[0].sentSum, rightSum);
    EXPECT_EQ(m_listener.outcomes[0].ackSum, rightSum + 1);
    EXPECT_EQ(m_listener.progress.back().step, UploadStep::EndAnswered);
    EXPECT_EQ(quint8(Sent().back()[0]), 0xC8) << "no confirm packet";
}

TEST_F(FirmwareUploadTest, AnswersSplitAcrossEventsAreRecognised) {
    // Every answer in pieces of `chunk` bytes; the tag answer (12 bytes) and the ready word too.
    for (int chunk : {1, 3, 5, 11, 63}) {
        SCOPED_TRACE(chunk);
        m_line->ClearSent();
        m_listener = {};
        StartAndAnswer(0);
        while (!answers.empty()) {
            const QByteArray answer = answers.front();
            answers.pop_front();
            for (qsizetype at = 0; at < answer.size(); at += chunk) {
                const size_t before = Sent().size();
                Arrive(answer.mid(at, chunk));
                // Nothing is sent before the answer is complete.
                if (at + chunk < answer.size()) {
                    EXPECT_EQ(Sent().size(), before);
                }
            }
        }
        ASSERT_EQ(m_listener.outcomes.size(), 1u);
        EXPECT_EQ(m_listener.outcomes[0].result, UploadResult::Succeeded);
        EXPECT_EQ(Sent().size(), 7u);
    }
}

TEST_F(FirmwareUploadTest, SixtyThreeBytesDoNothingAndTheSixtyFourthEvaluates) {
    StartAndAnswer(2);  // tag and ready word: the start packet is out
    ASSERT_EQ(Sent().size(), 3u);
    const QByteArray answer = answers.front();
    answers.clear();
    Arrive(answer.left(63));
    EXPECT_EQ(Sent().size(), 3u);
    EXPECT_EQ(m_state.m_nRxCount, 63);
    Arrive(answer.mid(63) + QByteArray(20, '\x55'));  // bytes after a whole answer are not kept
    ASSERT_EQ(Sent().size(), 4u);
    EXPECT_EQ(m_state.m_nRxCount, 0);
    Pump();
    ASSERT_EQ(m_listener.outcomes.size(), 1u);
    EXPECT_EQ(m_listener.outcomes[0].result, UploadResult::Succeeded);
}

TEST_F(FirmwareUploadTest, DeviceTagChoosesTheStartWordAndAnUnknownTagKeepsWaiting) {
    tag = "QZEC";
    StartAndAnswer(1);
    EXPECT_EQ(Sent().at(1), "UPQZEC\r");
    EXPECT_EQ(m_state.m_nRxMode, 2);

    m_clock.Advance(CFirmwareUpload::kAnswerTimeout);  // the device fell silent: over
    answers.clear();
    m_line->ClearSent();
    tag = "ABCD";
    StartAndAnswer(1);
    EXPECT_EQ(Sent().size(), 1u);
    EXPECT_EQ(m_state.m_nRxMode, 30);
    // A right answer after it is still taken: ready word split as well.
    Arrive("?W\r=QZ");
    Arrive("MCBL\r\n");
    EXPECT_EQ(Sent().back(), "UPQZMC\r");
    Arrive("RA");
    EXPECT_EQ(m_state.m_nRxMode, 2);
    Arrive("DE");
    EXPECT_EQ(m_state.m_nRxMode, 3);
    EXPECT_EQ(Sent().back(), Packet(0xA0, 1));
}

TEST_F(FirmwareUploadTest, SilentDeviceEndsTheUploadAfterThreeSecondsInEachMode) {
    struct Case {
        int answers;  // answers given before the device falls silent
        int mode;
    };
    const Case cases[] = {{0, 30}, {1, 2}, {2, 3}, {3, 3}, {4, 4}, {5, 5}, {6, 6}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answers);
        m_line->ClearSent();
        m_listener = {};
        StartAndAnswer(c.answers);
        answers.clear();
        const size_t sent = Sent().size();
        m_clock.Advance(2999ms);
        EXPECT_TRUE(m_listener.outcomes.empty());
        m_clock.Advance(1ms);
        ExpectEndedAs(UploadResult::TimedOut, c.mode);
        EXPECT_EQ(Sent().size(), sent);
    }
    // A device that answers within the time, however slowly, is waited for.
    m_listener = {};
    StartAndAnswer(0);
    while (!answers.empty()) {
        m_clock.Advance(2900ms);
        PumpOne();
    }
    ASSERT_EQ(m_listener.outcomes.size(), 1u);
    EXPECT_EQ(m_listener.outcomes[0].result, UploadResult::Succeeded);
}

TEST_F(FirmwareUploadTest, LineLostEndsTheUploadOnceAndANewUploadRunsAfterReopening) {
    StartAndAnswer(3);
    m_line->HangUp();
    QCoreApplication::processEvents();
    ExpectEndedAs(UploadResult::LineLost, 3);
    m_clock.Advance(10s);
    EXPECT_EQ(m_listener.outcomes.size(), 1u);

    // Starting on the closed port ends at once, as lost, without a frame.
    m_listener = {};
    m_line->ClearSent();
    EXPECT_TRUE(m_upload.Start(Image(Pattern(111))));
    ExpectEndedAs(UploadResult::LineLost, 30);
    EXPECT_TRUE(Sent().empty());

    m_listener = {};
    answers.clear();
    m_comm.SetPortOpen(true);
    StartAndAnswer(0);
    Pump();
    ASSERT_EQ(m_listener.outcomes.size(), 1u);
    EXPECT_EQ(m_listener.outcomes[0].result, UploadResult::Succeeded);
}

TEST_F(FirmwareUploadTest, StartNeedsAnImageAndNoUploadRunning) {
    EXPECT_FALSE(m_upload.Start(FirmwareImage()));
    EXPECT_TRUE(Sent().empty());
    StartAndAnswer(2);
    EXPECT_FALSE(m_upload.Start(Image(Pattern(111))));
    EXPECT_EQ(Sent().size(), 3u);
}

// The upload against the simulated controller's own model of the boot loader, which checks
// numbers and sums on its side.
TEST(FirmwareUploadSimTest, LargestImageArrivesWhole) {
    QTemporaryDir dir;
    QByteArray file(65535, '\0');
    QRandomGenerator random(9);
    for (char& c : file) c = char(random.bounded(256));
    const QString path = dir.filePath(QStringLiteral("fw.bin"));
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(file);
    out.close();

    for (bool badSum : {false, true}) {
        SCOPED_TRACE(badSum);
        auto backend = std::make_unique<SimBackend>();
        SimBackend* sim = backend.get();
        sim->Controller().Faults().BadSum(badSum);
        CMSComm comm(std::move(backend));
        comm.SetCommPort(3);
        comm.SetSettings(QStringLiteral("115200,n,8,1"));
        comm.SetPortOpen(true);
        comm.SetInputMode(CMSComm::comInputModeBinary);
        comm.SetRThreshold(1);
        SteadyClock clock;
        ProtocolState state;
        IgnoringProtocolListener protocolListener;
        CReceiveDispatcher dispatcher(state, comm, clock, protocolListener);
        QObject::connect(&comm, &CMSComm::OnComm, [&] { dispatcher.OnComm(); });
        RecordingUploadListener listener;
        CFirmwareUpload upload(state, comm, clock, dispatcher, listener);
        FirmwareImage image;
        ASSERT_EQ(image.Load(path), FirmwareCheck::Ok);
        ASSERT_TRUE(upload.Start(image));
        QElapsedTimer waited;
        waited.start();
        while (listener.outcomes.empty() && waited.elapsed() < 30000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        ASSERT_EQ(listener.outcomes.size(), 1u);
        const SimBootLoader& loader = sim->Controller().BootLoader();
        // The file, the zero byte the upload adds, and zeros to the end of the last packet.
        const QByteArray expected = file + QByteArray(1171 * 56 - file.size(), '\0');
        EXPECT_EQ(loader.Image(), expected);
        if (badSum) {
            EXPECT_EQ(listener.outcomes[0].result, UploadResult::ChecksumMismatch);
            EXPECT_TRUE(loader.Installed().isEmpty());
        } else {
            EXPECT_EQ(listener.outcomes[0].result, UploadResult::Succeeded);
            EXPECT_EQ(loader.Installed(), expected);
        }
    }
}

}  // namespace
