// Every conversation against a controller whose answers take each shape the protocol allows or
// leaves open: cut at any byte, glued to the next answer, with "\r\n", "\r" or no line end after
// an echo, without the echoes the protocol does not promise, with an echo of another value.
// Through the line only: the frames the controller receives and the outcome the caller is told
// must be those of the plainest controller (every answer whole, every echo there).
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <map>
#include <string>

#include "BulkWriteChain.h"
#include "CommandFrames.h"
#include "FirmwareImage.h"
#include "GoldenFile.h"
#include "IUploadListener.h"
#include "ReadBackChain.h"
#include "SessionFixture.h"

using namespace std::chrono_literals;

namespace {

// What the controller says, and how its bytes reach the program.
struct Shape {
    std::string name;
    QByteArray echoEnd = "\r\n";  // behind a set echo and the boot loader's ready word
    bool echoesOrdinarySets = true;
    bool echoesAnnouncement = true;   // "Sj0004"
    bool shortReferenceEcho = false;  // "Sj000": only the five bytes that key it
    char otherValueFor = 0;           // this letter is stored and echoed one higher
    enum class Reads { Whole, CutAt, ByteByByte, TailGlued, StaleCopyGlued } reads = Reads::Whole;
    int cutAt = 0;
};

// One answer: the bytes that make it complete, and what may follow them (a line end, the rest
// of the device tag's answer, a live frame's last two bytes), which the program never waits for.
struct Answer {
    QByteArray body;
    QByteArray tail;
    bool keyed = false;  // a query reply or a set echo: a stale copy of it is told apart
};

// A controller written from the protocol alone: query replies, set echoes, reference sets, the
// live stream and a boot loader, each answer shaped by `shape`.
class ShapedController {
public:
    explicit ShapedController(const Shape& shape) : m_shape(shape) {}

    std::vector<Answer> AnswersTo(const QByteArray& frame) {
        if (m_bBootLoader && frame.size() == 64) return {Packet(frame)};
        if (frame.size() == 3 && frame[0] == '?') return Query(frame[1]);
        if (frame.startsWith("UP")) {
            m_bBootLoader = true;
            return {{"RADY", m_shape.echoEnd}};
        }
        if (frame.size() >= 3 && frame[0] == 'S') return Set(frame[1], LeadingNumber(frame.mid(2)));
        return {};
    }

    int ValueOf(char letter) const {
        const auto found = m_values.find(letter);
        return found == m_values.end() ? 50 : found->second;
    }

private:
    static QByteArray Digits(int value) {
        return QByteArray::number(value % 10000).rightJustified(4, '0');
    }

    std::vector<Answer> Query(char letter) {
        if (letter == 'W') return {{"?W\r=QZMC", "BL\r\n"}};
        const int value = letter == 'V' ? 1218 : ValueOf(letter);
        return {{QueryCommand(letter) + '=' + Digits(value) + "\r\n", {}, true}};
    }

    std::vector<Answer> Set(char letter, int value) {
        if (letter == '~') return Live(value != 0);
        if (letter == 'j' && value < 4) {
            const QByteArray echo = "Sj0" + Digits(value).mid(1);
            return {m_shape.shortReferenceEcho ? Answer{echo.first(5), {}, true}
                                               : Answer{echo, m_shape.echoEnd, true}};
        }
        if (letter == m_shape.otherValueFor) ++value;
        m_values[letter] = value;
        if (letter == 'j') m_bRestoring = true;
        const bool echoed = letter == 'j'
                                ? m_shape.echoesAnnouncement
                                : m_shape.echoesOrdinarySets || m_bRestoring || !IsOrdinary(letter);
        if (letter == 'O') m_bRestoring = false;
        if (!echoed) return {};
        return {{'S' + QByteArray(1, letter) + Digits(value), m_shape.echoEnd, true}};
    }

    // Whether the window's ordinary sends use this letter. The chains' commands and those of a
    // restore are echoed always: the protocol runs those chains on their echoes.
    static bool IsOrdinary(char letter) { return letter == 'C'; }

    // A round of frames when the stream starts; a frame already on its way when it stops.
    static std::vector<Answer> Live(bool on) {
        const auto frame = [](const char* tag) {
            return Answer{QByteArray(tag) + QByteArray(32, '1') + "\r\n", {}};
        };
        if (!on) return {frame("CHDA")};
        return {frame("CHDA"), frame("MSDA"), frame("SSDA")};
    }

    Answer Packet(const QByteArray& packet) {
        const quint32 number = qFromLittleEndian<quint32>(packet.constData() + 4);
        if (quint8(packet[0]) == 0xA0) m_nSum = 0;
        if (quint8(packet[0]) == 0xA5)
            for (char byte : packet.mid(8)) m_nSum += quint8(byte);
        QByteArray answer(64, '\0');
        answer[0] = packet[0];
        qToLittleEndian<quint32>(number + 1, answer.data() + 4);
        qToLittleEndian<quint32>(m_nSum, answer.data() + 8);
        return {answer, {}};
    }

    const Shape& m_shape;
    std::map<char, int> m_values;
    bool m_bBootLoader = false;
    bool m_bRestoring = false;  // between the announcement and the last restored value
    quint32 m_nSum = 0;
};

struct UploadSteps : IUploadListener {
    void OnUploadProgress(const UploadProgress&) override {}
};

// The session on the in-memory line with the shaped controller; its answers reach the port in
// the reads the shape makes of them, one receive event per read.
class ShapeRig {
public:
    explicit ShapeRig(const Shape& shape) : m_shape(shape), m_controller(m_shape) {
        m_line.controller = [this](const QByteArray& frame) {
            std::vector<QByteArray> reads;
            for (const Answer& answer : m_controller.AnswersTo(frame)) Shaped(answer, reads);
            return reads;
        };
    }

    // What the session was told, whatever the conversation.
    std::vector<std::string> Told() const {
        std::vector<std::string> told;
        for (const ChainEnd& end : m_line.m_listener.ends) {
            told.push_back("chain " + std::to_string(int(end.chain)) + " ended " +
                           std::to_string(int(end.result)) + " at " + std::string(1, end.letter));
            if (end.upload) told.push_back("upload " + std::to_string(int(end.upload->result)));
        }
        told.push_back(std::to_string(m_line.m_listener.readBacksFinished) + " read-backs");
        told.push_back(std::to_string(m_line.m_listener.values.size()) + " values");
        told.push_back(std::to_string(m_line.m_listener.liveFrames) + " live frames");
        told.push_back("echoes " + m_line.m_listener.echoes);
        return told;
    }

    void Run(const std::function<void(ShapeRig&)>& conversation) {
        conversation(*this);
        m_line.Pump();
        m_line.m_clock.Advance(5s);  // nothing more is sent, whatever waits
        m_line.Pump();
    }

    SessionRig m_line;
    UploadSteps m_upload;

private:
    void Shaped(const Answer& answer, std::vector<QByteArray>& reads) {
        using Reads = Shape::Reads;
        QByteArray bytes = answer.body + answer.tail;
        switch (m_shape.reads) {
            case Reads::Whole:
                reads.push_back(bytes);
                return;
            case Reads::CutAt:
                reads.push_back(bytes.first(std::min<qsizetype>(m_shape.cutAt, bytes.size())));
                if (bytes.size() > m_shape.cutAt) reads.push_back(bytes.mid(m_shape.cutAt));
                return;
            case Reads::ByteByByte:
                for (char byte : bytes) reads.push_back(QByteArray(1, byte));
                return;
            case Reads::TailGlued:
                // What follows the answer comes in one read with the next answer.
                reads.push_back(std::exchange(m_strHeldTail, answer.tail) + answer.body);
                return;
            case Reads::StaleCopyGlued:
                // Only an answer with a key can be told from its copy (a live frame or a
                // packet answer cannot).
                if (!answer.keyed) return reads.push_back(bytes);
                reads.push_back(std::exchange(m_strPrevious, bytes) + bytes);
                return;
        }
    }

    Shape m_shape;
    ShapedController m_controller;
    QByteArray m_strHeldTail;
    QByteArray m_strPrevious;
};

QByteArray SmallImage(QTemporaryDir& dir) {
    QFile file(dir.filePath(QStringLiteral("fw.bin")));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    QByteArray bytes(150, '\0');
    for (int i = 0; i < bytes.size(); ++i) bytes[i] = char(0x80 + i * 3);
    file.write(bytes);
    return file.fileName().toLocal8Bit();
}

struct Conversation {
    const char* name;
    std::function<void(ShapeRig&)> run;
    char ownLetter = 0;  // the letter an "other value" answer is tried on (0: none applies)
};

std::vector<Conversation> Conversations(QTemporaryDir& dir) {
    const std::array<int, 15> record{6,    650, 600,  -120, 300, 120, 300, -120,
                                     -300, 120, -300, -250, 0,   250, 0};
    const QString image = QString::fromLocal8Bit(SmallImage(dir));
    return {
        {"read-back", [](ShapeRig& r) { r.m_line.m_session.ReadBack(); }},
        {"chosen read", [](ShapeRig& r) { r.m_line.m_session.ReadChosen("VCAj"); }},
        {"set, then a read-back",
         [](ShapeRig& r) {
             r.m_line.m_session.SetParameter('C', 45);
             r.m_line.Pump();
             r.m_line.m_session.ReadBack();
         }},
        {"set awaiting its echo", [](ShapeRig& r) { r.m_line.m_session.SetAwaitingEcho('C', 45); }},
        {"calibration",
         [](ShapeRig& r) {
             r.m_line.m_session.Calibrate({420, 415, 418, 410});
         },
         '1'},
        {"frame save", [record](ShapeRig& r) { r.m_line.m_session.SaveFrame(record); }, 'p'},
        {"declination", [](ShapeRig& r) { r.m_line.m_session.SetDeclination(-5); }, 'Q'},
        {"directions", [](ShapeRig& r) { r.m_line.m_session.SetMotorDirections(9); }, 'z'},
        {"reverse re-read",
         [](ShapeRig& r) {
             r.m_line.m_session.SetDeclination(5);
             r.m_line.Pump();
             r.m_line.m_session.SetReverseMask('N', 0x0F);
         }},
        {"restore", [](ShapeRig& r) { r.m_line.m_session.Restore(GoldenValues()); }, 'D'},
        {"reference set", [](ShapeRig& r) { r.m_line.m_session.LoadReferenceSet(2); }},
        {"frame read", [](ShapeRig& r) { r.m_line.m_session.ReadFrame(); }},
        {"upload",
         [image](ShapeRig& r) {
             FirmwareImage firmware;
             ASSERT_EQ(firmware.Load(image), FirmwareCheck::Ok);
             r.m_line.m_session.StartUpload(firmware, r.m_upload);
         }},
        {"live data", [](ShapeRig& r) { r.m_line.m_session.StartLiveDisplay(); }},
        {"upload while the live display streams",
         [image](ShapeRig& r) {
             r.m_line.m_session.StartLiveDisplay();
             r.m_line.Pump();
             FirmwareImage firmware;
             ASSERT_EQ(firmware.Load(image), FirmwareCheck::Ok);
             r.m_line.m_session.StartUpload(firmware, r.m_upload);
         }},
    };
}

std::vector<Shape> Shapes() {
    using Reads = Shape::Reads;
    std::vector<Shape> shapes = {
        {"each answer byte by byte", "\r\n", true, true, false, 0, Reads::ByteByByte},
        {"each answer's tail glued to the next answer", "\r\n", true, true, false, 0,
         Reads::TailGlued},
        {"a stale copy glued in front of each answer", "\r\n", true, true, false, 0,
         Reads::StaleCopyGlued},
        {"echoes ended by \"\\r\"", "\r"},
        {"echoes without a line end", ""},
        {"echoes without a line end, their tails glued", "", true, true, false, 0,
         Reads::TailGlued},
        {"ordinary sets not echoed", "\r\n", false},
        {"the announcement Sj0004 not echoed", "\r\n", true, false},
        {"the reference set echoed in five bytes", "\r\n", true, true, true},
    };
    for (int cut = 1; cut < 64; ++cut)
        shapes.push_back({"each answer cut after byte " + std::to_string(cut), "\r\n", true, true,
                          false, 0, Reads::CutAt, cut});
    return shapes;
}

TEST(AnswerShapes, EveryConversationSendsAndEndsAlikeWhateverShapeTheAnswersTake) {
    QTemporaryDir dir;
    for (const Conversation& conversation : Conversations(dir)) {
        ShapeRig plain{Shape{"plain"}};
        plain.Run(conversation.run);
        const std::vector<QByteArray> frames = plain.m_line.SentFrames();
        const std::vector<std::string> told = plain.Told();
        for (const Shape& shape : Shapes()) {
            // Without an echo, nothing tells the caller that a set was echoed; vexactl's set
            // then judges by its read-back (its own test).
            if (!shape.echoesOrdinarySets &&
                conversation.name == std::string("set awaiting its echo"))
                continue;
            SCOPED_TRACE(std::string(conversation.name) + " / " + shape.name);
            ShapeRig rig(shape);
            rig.Run(conversation.run);
            EXPECT_EQ(rig.m_line.SentFrames(), frames);
            EXPECT_EQ(rig.Told(), told);
        }
    }
}

// An echo that carries another value is an answer: the chain goes on and sends every frame; the
// special sets end saying which value the controller stored otherwise, the restore leaves that
// to its read-back, which reads the value the controller holds.
TEST(AnswerShapes, AnEchoWithAnotherValueIsAnAnswerAndTheEndSaysSo) {
    QTemporaryDir dir;
    for (const Conversation& conversation : Conversations(dir)) {
        if (conversation.ownLetter == 0) continue;
        SCOPED_TRACE(conversation.name);
        ShapeRig plain{Shape{"plain"}};
        plain.Run(conversation.run);
        Shape shape{"other value"};
        shape.otherValueFor = conversation.ownLetter;
        ShapeRig rig(shape);
        rig.Run(conversation.run);
        EXPECT_EQ(rig.m_line.SentFrames(), plain.m_line.SentFrames());
        ASSERT_EQ(rig.m_line.m_listener.ends.size(), 1u);
        const ChainEnd end = rig.m_line.m_listener.ends[0];
        if (end.chain == Chain::Restore) {
            EXPECT_EQ(end.result, ChainResult::Done);
            EXPECT_EQ(rig.m_line.m_listener.readBacksFinished, 1);
        } else {
            EXPECT_EQ(end.result, ChainResult::OtherValue);
            EXPECT_EQ(end.letter, conversation.ownLetter);
        }
    }
}

}  // namespace
