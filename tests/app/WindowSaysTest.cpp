// What the window says it is doing, and that it never says two things at once: the read-back's
// progress on a slow line, the result of the last action, the firmware choice, the lists and
// boxes walked by the keys.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <deque>
#include <functional>

#include "ControllerSim.h"
#include "MainWindowFixture.h"
#include "ResourceIds.h"

using namespace std::chrono_literals;

namespace {

class WindowSaysTest : public MainWindowTest {
protected:
    // The window with the simulated controller on its line; its answers reach the window only
    // when the test delivers them, one receive event each (a slow line).
    CVexaDlg& StartWithController() {
        m_sim.onOutput = [this](const QByteArray& bytes) { m_answers.push_back(bytes); };
        return Start([this](MemoryLine& line) {
            line.onWritten = [this](const QByteArray& frame) { m_sim.Receive(frame); };
        });
    }
    bool Answer() {
        if (m_answers.empty()) return false;
        const QByteArray bytes = m_answers.front();
        m_answers.pop_front();
        m_line->Inject(bytes);
        return true;
    }
    void AnswerAll() {
        while (Answer()) {
        }
    }
    QString Status() { return Control<QLineEdit>(IDC_STATUS)->text(); }
    // The controls that send, as the operator finds them while the values are read.
    bool SendersLive() {
        return m_dlg->PageWidgets()[0]->isEnabled() && Control(IDC_FRAME_TYPE)->isEnabled() &&
               Control(IDC_SENSOR_GPS)->isEnabled();
    }
    QByteArray SetFrames() {
        QByteArray frames;
        for (const auto& frame : m_line->Sent())
            if (frame.bytes.startsWith('S')) frames += frame.bytes;
        return frames;
    }

    ControllerSim m_sim;
    std::deque<QByteArray> m_answers;
};

// On a slow line the status counts the replies and the senders wait; at the end it says how
// many were read and the senders come back. In both languages.
TEST_F(WindowSaysTest, TheReadBackCountsItsRepliesWhileTheSendersWait) {
    struct Language {
        bool english;
        const char* reading;  // %1 the replies so far
        const char* read;
    };
    const Language languages[] = {{false, "正在读取参数 %1/49…", "已读取 49 个参数"},
                                  {true, "Reading parameters %1/49…", "49 parameters read"}};
    for (const Language& language : languages) {
        SCOPED_TRACE(language.english);
        m_options.openPortAtStart = false;
        StartWithController();
        if (language.english) Click(IDC_LANGUAGE);
        m_dlg->OpenPortFromFile();
        EXPECT_EQ(Status(), QString::fromUtf8(language.reading).arg(0));
        EXPECT_TRUE(SendersLive()) << "nothing is held before the controller answers";

        std::vector<int> counted;  // the counts the status showed, in order
        while (Answer()) {
            const QString status = Status();
            if (status == QString::fromUtf8(language.read)) break;
            const int count =
                status.section(QLatin1Char(' '), -1).section(QLatin1Char('/'), 0, 0).toInt();
            EXPECT_EQ(status, QString::fromUtf8(language.reading).arg(count));
            if (counted.empty() || counted.back() != count) counted.push_back(count);
            EXPECT_FALSE(SendersLive()) << "while reply " << count << " is in";
        }
        EXPECT_EQ(Status(), QString::fromUtf8(language.read));
        EXPECT_TRUE(SendersLive());
        ASSERT_EQ(counted.size(), 48u);
        for (int i = 0; i < 48; ++i) EXPECT_EQ(counted[std::size_t(i)], i + 1);
        m_dlg.reset();
    }
}

// A read-back whose replies stop does not hold the senders for ever: the status says the read
// is incomplete and they come back.
TEST_F(WindowSaysTest, AReadBackThatFallsSilentLetsTheSendersGo) {
    StartWithController();
    for (int i = 0; i < 10; ++i) Answer();
    m_answers.clear();
    m_sim.onOutput = [](const QByteArray&) {};  // the controller falls silent
    ASSERT_FALSE(SendersLive());
    m_clock.Advance(5s);
    QCoreApplication::processEvents();
    EXPECT_EQ(Status(), QStringLiteral("参数读取未完成"));
    EXPECT_TRUE(SendersLive());
}

// Each action's result replaces the last one in the status line, and a save says where it
// wrote; a refresh takes the firmware choice with the start button.
TEST_F(WindowSaysTest, TheStatusTellsTheLastActionOnly) {
    StartWithController();
    AnswerAll();
    ASSERT_EQ(Status(), QStringLiteral("已读取 49 个参数"));

    const QString saved = m_dir.filePath(QStringLiteral("QZMC_Data.txt"));
    m_prompter.QueueAnswer(PromptAnswer::Ok);
    m_prompter.QueueFile(saved);
    Click(IDC_SAVE_DATA);
    EXPECT_EQ(Status(), QStringLiteral("参数已保存到 ") + QDir::toNativeSeparators(saved));

    const QString firmware = m_dir.filePath(QStringLiteral("fw.bin"));
    WriteFile(firmware, QByteArray(100, '\1'));
    m_prompter.QueueFile(firmware);
    Click(IDC_SELECT_FW);
    ASSERT_TRUE(Control(IDC_START_UPGRADE)->isEnabled());

    Click(IDC_REFRESH);
    EXPECT_EQ(Status(), QStringLiteral("正在读取参数 0/49…"));
    EXPECT_FALSE(Control(IDC_START_UPGRADE)->isEnabled());
    EXPECT_EQ(Control<QLineEdit>(IDC_FW_PATH)->text().startsWith(QStringLiteral("<-")), true)
        << "the path box asks for a file again";
    AnswerAll();
    EXPECT_EQ(Status(), QStringLiteral("已读取 49 个参数"));
}

// A walk through a list or over a box by the keys sends only where it rests, 300 ms after the
// last key or when the focus leaves; a choice with the mouse goes at once. Walking back to
// where the controller stands sends nothing.
TEST_F(WindowSaysTest, KeysSendWhereTheyRestAndTheMouseAtOnce) {
    struct Walk {
        const char* name;
        int control;
        std::function<void(QWidget*)> act;
        const char* atOnce;     // the set frames sent before any rest
        const char* afterRest;  // those sent once the keys rested
    };
    const auto keys = [](std::initializer_list<Qt::Key> list) {
        return [pressed = std::vector<Qt::Key>(list)](QWidget* control) {
            for (Qt::Key key : pressed) QTest::keyClick(control, key);
        };
    };
    const Walk walks[] = {
        {"frame type down and up", IDC_FRAME_TYPE, keys({Qt::Key_Down, Qt::Key_Up}), "", ""},
        {"frame type down twice", IDC_FRAME_TYPE, keys({Qt::Key_Down, Qt::Key_Down}), "",
         "SA0007\r"},
        {"frame type down, then Tab", IDC_FRAME_TYPE, keys({Qt::Key_Down, Qt::Key_Tab}), "SA0006\r",
         ""},
        {"frame type chosen with the mouse", IDC_FRAME_TYPE,
         [](QWidget* control) {
             auto* list = static_cast<QComboBox*>(control);
             list->setCurrentIndex(7);
             emit list->activated(7);
         },
         "SA0015\r", ""},
        {"ESC rate down", IDC_ESC_RATE, keys({Qt::Key_Down}), "", "SB0007\r"},
        {"sensor box two spaces", IDC_SENSOR_BARO, keys({Qt::Key_Space, Qt::Key_Space}), "", ""},
        {"sensor box one space", IDC_SENSOR_BARO, keys({Qt::Key_Space}), "", "SM0191\r"},
        {"sensor box clicked", IDC_SENSOR_BARO,
         [](QWidget* control) { QTest::mouseClick(control, Qt::LeftButton); }, "SM0191\r", ""},
    };
    for (const Walk& walk : walks) {
        SCOPED_TRACE(walk.name);
        // The controller as it comes: quad X (the fifth entry), ESC rate 4, the barometer off.
        m_sim.Parameters().Set('A', 5);
        m_sim.Parameters().Set('B', 4);
        m_sim.Parameters().Set('M', 0x9F);
        StartWithController();
        AnswerAll();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_dlg.get()));
        QApplication::setActiveWindow(m_dlg.get());
        QWidget* control = Control(walk.control);
        control->setFocus(Qt::TabFocusReason);
        m_line->ClearSent();
        walk.act(control);
        EXPECT_EQ(SetFrames(), walk.atOnce);
        m_line->ClearSent();
        m_clock.Advance(300ms);
        QCoreApplication::processEvents();
        EXPECT_EQ(SetFrames(), walk.afterRest);
        m_dlg.reset();
        m_answers.clear();
    }
}

}  // namespace
