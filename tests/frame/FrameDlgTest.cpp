// The frame editor on the main window, against the simulated controller on an in-memory line.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <deque>
#include <functional>
#include <string_view>

#include "CommandFrames.h"
#include "ControllerSim.h"
#include "FrameDlg.h"
#include "FramePlanView.h"
#include "MainWindowFixture.h"
#include "ReadBackChain.h"
#include "ResourceIds.h"

using namespace std::chrono_literals;

namespace {

// The controller's frame type is 16, so the editor's button is there after start-up. The
// controller answers every frame; its answers reach the window one receive event each, only
// when the test pumps them, so that a frame is only ever sent in reaction to an answer taken.
class FrameEditorTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        m_sim.Parameters().Set('A', 16);
        m_sim.onOutput = [this](const QByteArray& bytes) { m_answers.push_back(bytes); };
        Start([this](MemoryLine& line) {
            line.onWritten = [this](const QByteArray& frame) {
                m_writtenAfter.push_back(m_delivered);
                m_sim.Receive(frame);
            };
        });
        Pump();
        ASSERT_TRUE(Control(IDC_FRAME_EDIT)->isEnabled());
    }

    void Pump() {
        while (!m_answers.empty()) {
            const QByteArray answer = m_answers.front();
            m_answers.pop_front();
            ++m_delivered;
            m_line->Inject(answer);
        }
    }

    void OpenEditor() {
        Click(IDC_FRAME_EDIT);
        Pump();
        ASSERT_TRUE(Editor().isVisible());
    }
    // Only the frames sent from now on, and the answers delivered from now on, count.
    void Reset() {
        m_line->ClearSent();
        m_writtenAfter.clear();
        m_delivered = 0;
        m_prompter.Clear();
    }

    CFrameDlg& Editor() { return m_dlg->FrameEditor(); }
    template <class T = QWidget>
    T* In(int id) {
        T* control = FindControlAs<T>(&Editor(), id);
        EXPECT_NE(control, nullptr) << "no control " << id;
        return control;
    }
    QLineEdit* Edit(int id) { return In<QLineEdit>(id); }
    void Type(int id, const QString& text) { Edit(id)->setText(text); }
    void Leave(int id) {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(Edit(id), &out);
    }
    void Save(PromptAnswer answer) {
        m_prompter.QueueAnswer(answer);
        QTest::mouseClick(In(IDC_FRAME_SAVE), Qt::LeftButton);
        Pump();
    }
    bool PlanShowsMotors() { return Editor().findChild<FramePlanView*>()->Layout().has_value(); }
    std::vector<QByteArray> SentFrames() const {
        std::vector<QByteArray> frames;
        for (const auto& sent : m_line->Sent()) frames.push_back(sent.bytes);
        return frames;
    }
    bool AnySetSent() const {
        for (const auto& sent : m_line->Sent())
            if (sent.bytes.startsWith('S')) return true;
        return false;
    }

    ControllerSim m_sim;
    std::deque<QByteArray> m_answers;
    int m_delivered = 0;
    std::vector<int> m_writtenAfter;  // answers delivered when each frame was written
};

std::vector<QByteArray> QueriesOf(std::string_view order) {
    std::vector<QByteArray> queries;
    for (char letter : order) queries.push_back(QueryCommand(letter));
    return queries;
}

TEST_F(FrameEditorTest, OpeningReadsTheFrameOnlyAfterTheFullReadBack) {
    Reset();
    Click(IDC_FRAME_EDIT);
    EXPECT_EQ(Sent(), "?V\r");  // the geometry waits for the read-back the port change started
    Pump();

    std::vector<QByteArray> expected = QueriesOf(kReadBackOrder);
    for (const QByteArray& query : QueriesOf(kFrameGeometryOrder)) expected.push_back(query);
    EXPECT_EQ(SentFrames(), expected);
    // One chain at a time: every query went out after the answer to the one before it.
    for (std::size_t i = 0; i < m_writtenAfter.size(); ++i) EXPECT_EQ(m_writtenAfter[i], int(i));

    // The simulated controller's frame: four motors on the diagonals, M1 and M4 reversed.
    EXPECT_EQ(In<QComboBox>(IDC_FRAME_AXIS_COUNT)->currentText(), "4轴");
    EXPECT_EQ(Edit(IDC_FRAME_MAX_X)->text(), "650");
    const char* shownX[] = {"-230", "230", "-230", "230", "0", "0"};
    const char* shownY[] = {"230", "230", "-230", "-230", "0", "0"};
    for (int motor = 0; motor < 6; ++motor) {
        EXPECT_EQ(Edit(IDC_FRAME_MOTOR_X[motor])->text(), shownX[motor]) << motor;
        EXPECT_EQ(Edit(IDC_FRAME_MOTOR_Y[motor])->text(), shownY[motor]) << motor;
        EXPECT_EQ(In<QCheckBox>(IDC_FRAME_REVERSE[motor])->isChecked(), motor == 0 || motor == 3);
    }
    for (int id : {1033, 1036, 1039, 1042, 1224, 1225, 1060, 1062})
        EXPECT_FALSE(In(id)->isEnabled()) << id;
    ASSERT_TRUE(PlanShowsMotors());
    EXPECT_EQ(Editor().findChild<FramePlanView*>()->Layout()->outline,
              (std::vector<int>{1, 0, 2, 3}));
    EXPECT_TRUE(m_prompter.Shown().empty());

    // Only the counts the list offers change it.
    m_sim.Parameters().Set('k', 5);
    OpenEditor();
    EXPECT_EQ(In<QComboBox>(IDC_FRAME_AXIS_COUNT)->currentText(), "4轴");
    m_sim.Parameters().Set('k', 6);
    OpenEditor();
    EXPECT_EQ(In<QComboBox>(IDC_FRAME_AXIS_COUNT)->currentText(), "6轴");
    EXPECT_TRUE(In(IDC_FRAME_MOTOR_X[5])->isEnabled());
}

// A frame the editor's checks refuse (M1 X = 200 beyond a span of 100), read back: every query
// goes out once, and the one warning opens after the read has ended, not inside a reply.
TEST_F(FrameEditorTest, ARefusedFrameReadBackAsksEachQueryOnceAndWarnsOnce) {
    m_sim.Parameters().Set('l', 100);
    m_sim.Parameters().Set('n', 5000 + 200);
    Reset();
    Click(IDC_FRAME_EDIT);
    Pump();
    EXPECT_TRUE(m_prompter.Shown().empty()) << "no box inside a receive event";
    m_clock.Advance(5s);  // no re-ask is pending under the box
    QCoreApplication::processEvents();

    std::vector<QByteArray> expected = QueriesOf(kReadBackOrder);
    for (const QByteArray& query : QueriesOf(kFrameGeometryOrder)) expected.push_back(query);
    EXPECT_EQ(SentFrames(), expected);
    ASSERT_EQ(m_prompter.Shown().size(), 1u);
    EXPECT_EQ(m_prompter.Shown()[0].text,
              "该数据框内的数值的绝对值必须小于X轴距的最大值!请重新输入数据!");
    EXPECT_FALSE(PlanShowsMotors());
}

// Edits made while the save chain runs change nothing on the wire: the chain sends the record
// as it was when OK was pressed.
TEST_F(FrameEditorTest, EditsDuringTheSaveChainChangeNothingOnTheWire) {
    OpenEditor();
    Reset();
    m_prompter.QueueAnswer(PromptAnswer::Ok);
    QTest::mouseClick(In(IDC_FRAME_SAVE), Qt::LeftButton);
    // The read-back runs, then the chain; the operator types into M1 X meanwhile.
    for (int answers = 0; answers < 50 && !m_answers.empty(); ++answers) {
        const QByteArray answer = m_answers.front();
        m_answers.pop_front();
        m_line->Inject(answer);
    }
    Type(IDC_FRAME_MOTOR_X[0], "9000");
    Leave(IDC_FRAME_MOTOR_X[0]);
    Pump();
    const std::vector<QByteArray> frames = SentFrames();
    ASSERT_GE(frames.size(), 49u + 15u);
    EXPECT_EQ(frames[49 + 3], "Sn4770\r");  // M1 X = -230, as it was at OK
    for (const QByteArray& frame : frames) EXPECT_NE(frame, "Sn4000\r");
}

TEST_F(FrameEditorTest, SaveSendsTheFrameChainAfterTheReadBackAndAReopenedEditorShowsIt) {
    OpenEditor();
    auto* axes = In<QComboBox>(IDC_FRAME_AXIS_COUNT);
    axes->setCurrentIndex(1);
    emit axes->activated(1);
    Pump();
    const int values[] = {-120, 300, 120, 300, -120, -300, 120, -300, -250, 0, 250, 0};
    Type(IDC_FRAME_MAX_Y, "600");
    for (int motor = 0; motor < 6; ++motor) {
        Type(IDC_FRAME_MOTOR_X[motor], QString::number(values[2 * motor]));
        Type(IDC_FRAME_MOTOR_Y[motor], QString::number(values[2 * motor + 1]));
    }
    Reset();
    Save(PromptAnswer::Ok);

    EXPECT_EQ(m_prompter.Shown().at(0).text, "您确信要保存您机架的上述设置值吗？");
    EXPECT_EQ(m_prompter.Shown().at(0).caption, "瑞翎航模提示:");
    const auto& sent = m_line->Sent();
    ASSERT_EQ(sent.size(), 49u + 15u);
    EXPECT_EQ(sent[48].bytes, "?j\r");  // the set chain only starts once the read-back is over
    const std::vector<QByteArray> chain = {"Sk0006\r", "Sl0650\r", "Sm0600\r", "Sn4880\r",
                                           "So5300\r", "Sp5120\r", "Sq5300\r", "Sr4880\r",
                                           "Ss4700\r", "St5120\r", "Su4700\r", "Sv4750\r",
                                           "Sw5000\r", "Sx5250\r", "Sy5000\r"};
    const std::vector<QByteArray> frames = SentFrames();
    EXPECT_EQ(std::vector<QByteArray>(frames.begin() + 49, frames.end()), chain);
    for (std::size_t i = 50; i < sent.size(); ++i) EXPECT_GE(sent[i].at - sent[i - 1].at, 50ms);
    const std::array<int, 15> record{6,    650, 600,  -120, 300, 120, 300, -120,
                                     -300, 120, -300, -250, 0,   250, 0};
    // The main window's save writes the frame the controller was sent.
    const ParameterValues saved = SavedFileValues();
    for (int i = 0; i < 15; ++i) EXPECT_EQ(saved[std::size_t(175 + i)], record[i]) << i;

    // The controller keeps the frame: closed, changed in memory and reopened, the editor
    // shows it again.
    QTest::keyClick(&Editor(), Qt::Key_Escape);
    Editor().m_nMotorX[0] = 0;
    OpenEditor();
    EXPECT_EQ(Edit(IDC_FRAME_MOTOR_X[0])->text(), "-120");
    EXPECT_EQ(Edit(IDC_FRAME_MOTOR_X[4])->text(), "-250");
    EXPECT_EQ(In<QComboBox>(IDC_FRAME_AXIS_COUNT)->currentText(), "6轴");
    EXPECT_TRUE(In(IDC_FRAME_MOTOR_X[5])->isEnabled());
}

TEST_F(FrameEditorTest, LeavingAnEditChecksTheFrameAndPointsAtWhatIsWrong) {
    OpenEditor();
    const QString xTooFar = "该数据框内的数值的绝对值必须小于X轴距的最大值!请重新输入数据!";
    const QString yTooFar = "该数据框内的数值的绝对值必须小于Y轴距的最大值!请重新输入数据!";
    struct Case {
        const char* name;
        std::vector<std::pair<int, const char*>> typed;
        int left;
        QString message;  // empty: drawn without a word
        int focus;
    };
    const Case cases[] = {
        {"a coordinate equal to the span passes", {{1031, "650"}}, 1031, {}, 0},
        {"span + 1 fails as X", {{1031, "651"}}, 1034, xTooFar, 1031},
        {"below minus the span fails as Y", {{1041, "-651"}}, 1041, yTooFar, 1041},
        {"not an integer", {{1040, "12a"}}, 1031, "请键入一个整数。", 1040},
        {"X span above 5000",
         {{1029, "5001"}},
         1029,
         "X轴距的最大值必须在[0－5000]内,请重新输入数据!",
         1029},
        {"Y span below 0",
         {{1030, "-1"}},
         1030,
         "Y轴距的最大值必须在[0－5000]内,请重新输入数据!",
         1030},
    };
    for (const Case& c : cases) {
        Type(IDC_FRAME_MAX_X, "650");
        Type(IDC_FRAME_MAX_Y, "650");
        for (int motor = 0; motor < 6; ++motor) {
            Type(IDC_FRAME_MOTOR_X[motor], "0");
            Type(IDC_FRAME_MOTOR_Y[motor], "0");
        }
        for (const auto& [id, text] : c.typed) Type(id, QString::fromUtf8(text));
        Reset();
        Leave(c.left);
        if (c.message.isEmpty()) {
            EXPECT_TRUE(m_prompter.Shown().empty()) << c.name;
            EXPECT_TRUE(PlanShowsMotors()) << c.name;
            continue;
        }
        ASSERT_EQ(m_prompter.Shown().size(), 1u) << c.name;
        EXPECT_EQ(m_prompter.Shown()[0].text, c.message) << c.name;
        EXPECT_EQ(Editor().focusWidget(), Edit(c.focus)) << c.name;
        EXPECT_FALSE(PlanShowsMotors()) << c.name;
        EXPECT_TRUE(Sent().isEmpty()) << c.name;
    }
    EXPECT_EQ(Editor().m_nMotorY[1], 0);  // "12a" left the member as it was
}

TEST_F(FrameEditorTest, MessageTakingTheFocusDoesNotCheckTheEditAgain) {
    OpenEditor();
    Type(IDC_FRAME_MOTOR_X[0], "9999");
    int nested = 0;
    m_prompter.onShown = [&](const PromptMessage&) {
        // A real message box takes the focus from the edit: it loses it once more.
        if (++nested < 3) Leave(IDC_FRAME_MOTOR_X[0]);
    };
    Leave(IDC_FRAME_MOTOR_X[0]);
    EXPECT_EQ(m_prompter.Shown().size(), 1u);
    EXPECT_TRUE(Editor().m_bRedrawOnLeave);
}

TEST_F(FrameEditorTest, SaveAsksFirstAndSendsNothingTheControllerWouldKeepWrong) {
    OpenEditor();
    struct Case {
        const char* name;
        int id;
        const char* text;
        PromptAnswer answer;
        QString message;  // shown after the question
    };
    const Case cases[] = {
        {"Cancel", 0, "", PromptAnswer::Cancel, {}},
        {"not an integer", 1040, "1.5", PromptAnswer::Ok, "请键入一个整数。"},
        {"+5000", 1032, "5000", PromptAnswer::Ok,
         "该数据框内的数值的绝对值必须小于X轴距的最大值!请重新输入数据!"},
        {"a Y span above 5000", 1030, "6000", PromptAnswer::Ok,
         "Y轴距的最大值必须在[0－5000]内,请重新输入数据!"},
    };
    for (const Case& c : cases) {
        Type(IDC_FRAME_MAX_X, "5000");
        Type(IDC_FRAME_MAX_Y, "650");
        if (c.id) Type(c.id, QString::fromUtf8(c.text));
        Reset();
        Save(c.answer);
        EXPECT_EQ(SentFrames().front(), "?V\r") << c.name;  // the port was reopened all the same
        EXPECT_FALSE(AnySetSent()) << c.name;
        ASSERT_EQ(m_prompter.Shown().size(), c.message.isEmpty() ? 1u : 2u) << c.name;
        if (!c.message.isEmpty()) {
            EXPECT_EQ(m_prompter.Shown()[1].text, c.message) << c.name;
        }
        EXPECT_EQ(SavedFileValues()[175], 0) << c.name << ": a save writes no frame";
        if (c.id) Type(c.id, "0");
    }
    m_dlg->ToggleLanguage();
    Reset();
    Save(PromptAnswer::Cancel);
    EXPECT_EQ(m_prompter.Shown()[0].text, "Are you sure to save the frame parameter？");
    EXPECT_EQ(m_prompter.Shown()[0].caption, "Velmora Mentioned:");
}

TEST_F(FrameEditorTest, SaveWithoutAnAxisCountIsRefused) {
    m_sim.Parameters().Set('k', 5);  // the controller holds no count the list offers
    OpenEditor();
    EXPECT_EQ(In<QComboBox>(IDC_FRAME_AXIS_COUNT)->currentIndex(), -1);
    Reset();
    Save(PromptAnswer::Ok);
    EXPECT_FALSE(AnySetSent());
    ASSERT_EQ(m_prompter.Shown().size(), 2u);
    EXPECT_EQ(Editor().focusWidget(), In(IDC_FRAME_AXIS_COUNT));
}

TEST_F(FrameEditorTest, AxisListAndDirectionBoxesSendAtOnce) {
    OpenEditor();
    auto* axes = In<QComboBox>(IDC_FRAME_AXIS_COUNT);
    for (const auto& [index, frame, enabled] :
         {std::tuple{1, "Sk0006\r", true}, std::tuple{0, "Sk0004\r", false}}) {
        Reset();
        const std::size_t waits = m_clock.Waits().size();
        axes->setCurrentIndex(index);
        emit axes->activated(index);
        EXPECT_EQ(Sent(), frame);
        EXPECT_EQ(Editor().m_nAxisCount, index ? 6 : 4);
        ASSERT_EQ(m_clock.Waits().size(), waits + 1);
        EXPECT_EQ(m_clock.Waits().back(), 100ms);
        for (int id : {1033, 1036, 1039, 1042, 1224, 1225, 1060, 1062})
            EXPECT_EQ(In(id)->isEnabled(), enabled) << id;
        ExpectNothingAwaited();  // a plain send: no echo is waited for
        Pump();
    }
    // M1 and M6 reversed (M4 cleared): the mask goes out in mode 15.
    In<QCheckBox>(IDC_FRAME_REVERSE[3])->setChecked(false);
    In<QCheckBox>(IDC_FRAME_REVERSE[5])->setChecked(true);
    In<QCheckBox>(IDC_FRAME_REVERSE[0])->setChecked(false);
    Reset();
    QTest::mouseClick(In(IDC_FRAME_REVERSE[0]), Qt::LeftButton);
    EXPECT_EQ(Sent(), "Sz0033\r");
    ExpectEchoAwaited();  // the directions wait for their echo
}

// Cancel and Escape close the editor and drop what was typed; Enter in a box confirms that box
// as leaving it does (checked, plan drawn) and the editor stays open. Nothing is sent either way.
TEST_F(FrameEditorTest, CancelAndEscapeCloseWhileEnterConfirmsTheBox) {
    struct Way {
        const char* name;
        std::function<void(QLineEdit*)> act;
        bool staysOpen;
        int motorX;  // what the editor holds for motor 1 while it stays open
    };
    const Way ways[] = {
        {"cancel", [this](QLineEdit*) { QTest::mouseClick(In(IDC_FRAME_CANCEL), Qt::LeftButton); },
         false, 0},
        {"escape", [](QLineEdit* edit) { QTest::keyClick(edit, Qt::Key_Escape); }, false, 0},
        {"enter", [](QLineEdit* edit) { QTest::keyClick(edit, Qt::Key_Return); }, true, -100},
        {"keypad enter", [](QLineEdit* edit) { QTest::keyClick(edit, Qt::Key_Enter); }, true, -100},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        OpenEditor();
        QApplication::setActiveWindow(&Editor());
        QLineEdit* edit = Edit(IDC_FRAME_MOTOR_X[0]);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("-100"));
        Reset();
        way.act(edit);
        EXPECT_EQ(Editor().isVisible(), way.staysOpen);
        EXPECT_TRUE(Sent().isEmpty());
        EXPECT_TRUE(m_prompter.Shown().empty());
        if (way.staysOpen) {
            EXPECT_EQ(Editor().m_nMotorX[0], way.motorX);
        }
        Editor().hide();
        Pump();
    }
    OpenEditor();
    EXPECT_EQ(Edit(IDC_FRAME_MOTOR_X[0])->text(), "-230");  // what the controller holds
}

// Enter in a span box with a span it refuses tells so and keeps the editor open on that box.
TEST_F(FrameEditorTest, EnterInASpanBoxChecksItWithoutClosing) {
    OpenEditor();
    QApplication::setActiveWindow(&Editor());
    QLineEdit* edit = Edit(IDC_FRAME_MAX_X);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("6000"));
    Reset();
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(Editor().isVisible());
    ASSERT_EQ(m_prompter.Shown().size(), 1u);
    EXPECT_EQ(m_prompter.Shown()[0].icon, PromptIcon::Warning);
    EXPECT_TRUE(Sent().isEmpty());
}

}  // namespace
