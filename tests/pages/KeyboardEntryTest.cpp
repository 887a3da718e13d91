// Changing a parameter without a mouse: the slider moved by keys, the number typed into its box.
#include <QApplication>
#include <QLineEdit>
#include <QSlider>

#include "MainWindowFixture.h"
#include "ResourceIds.h"
#include "SessionTestAccess.h"

using namespace std::chrono_literals;

namespace {

// One slider of each kind of page, with what the keys and a typed number send.
struct SliderKind {
    const char* page;
    int pageIndex;
    int sliderId;
    int boxId;
    int rightPresses;       // from the value the window starts with
    const char* afterKeys;  // the box, then the frame sent once the keys rest
    const char* keysFrame;
    const char* typed;
    const char* typedFrame;
    const char* outOfRange;
    const char* rangeChinese;
    const char* rangeEnglish;
};

const SliderKind kKinds[] = {
    {"basic", 0, IDC_BASIC_SLIDER_DYN_STAB, IDC_BASIC_EDIT_DYN_STAB, 5, "5", "SE0005\r", "45",
     "SE0045\r", "101", "请输入0到100之间的整数。", "Please enter a whole number from 0 to 100."},
    {"GPS", 2, IDC_GPS_SLIDER_CENTRING, IDC_GPS_EDIT_CENTRING, 2, "2", "S@0002\r", "50",
     "S@0050\r", "150", "请输入0到100之间的整数。", "Please enter a whole number from 0 to 100."},
    // The servo centres travel with an offset of 100.
    {"gimbal", 3, IDC_GIMBAL_SLIDER_PITCH_MID, IDC_GIMBAL_EDIT_PITCH_MID, 1, "1", "S&0101\r",
     "-100", "S&0000\r", "-101", "请输入-100到100之间的整数。",
     "Please enter a whole number from -100 to 100."},
    // The alarm starts with its thumb at the lower end, 2.80 V.
    {"voltage", 4, IDC_VOLT_ALARM_SLIDER, IDC_VOLT_ALARM_EDIT, 3, "283", "SL0283\r", "330",
     "SL0330\r", "250", "请输入280到400之间的整数。",
     "Please enter a whole number from 280 to 400."},
};

class KeyboardEntryTest : public MainWindowTest {
protected:
    void Open(const SliderKind& kind) {
        Start();
        SessionTestAccess::State(m_dlg->Session()).m_nFwVersion = 1218;
        m_dlg->ShowPage(kind.pageIndex);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_dlg.get()));
        QApplication::setActiveWindow(m_dlg.get());
        QWidget* page = m_dlg->PageWidgets()[kind.pageIndex];
        m_slider = FindControlAs<QSlider>(page, kind.sliderId);
        m_box = FindControlAs<QLineEdit>(page, kind.boxId);
        ASSERT_TRUE(m_slider && m_box);
        m_line->ClearSent();
        m_prompter.Clear();
    }
    // The set commands sent (the read-back's queries left out).
    QByteArray SetFrames() const {
        QByteArray frames;
        for (const auto& frame : m_line->Sent())
            if (frame.bytes.startsWith('S')) frames += frame.bytes;
        return frames;
    }
    void Type(const char* text) {
        m_box->setFocus();
        m_box->selectAll();
        QTest::keyClicks(m_box, QString::fromUtf8(text));
        QTest::keyClick(m_box, Qt::Key_Return);
        QCoreApplication::processEvents();  // a refusal is told from the event loop
    }

    QSlider* m_slider = nullptr;
    QLineEdit* m_box = nullptr;
};

TEST_F(KeyboardEntryTest, KeysThenRestSendOneFrameWithTheBoxsValue) {
    for (const SliderKind& kind : kKinds) {
        SCOPED_TRACE(kind.page);
        Open(kind);
        m_slider->setFocus();
        for (int i = 0; i < kind.rightPresses; ++i) QTest::keyClick(m_slider, Qt::Key_Right);
        EXPECT_EQ(m_box->text(), kind.afterKeys);
        m_clock.Advance(299ms);
        EXPECT_EQ(SetFrames(), "") << "sent before the keys rested";
        m_clock.Advance(1ms);
        EXPECT_EQ(SetFrames(), kind.keysFrame);
        m_clock.Advance(2s);
        EXPECT_EQ(SetFrames(), kind.keysFrame) << "one frame per settled value";
        EXPECT_TRUE(m_prompter.Shown().empty());
    }
}

TEST_F(KeyboardEntryTest, NumberTypedAndEnterIsSent) {
    for (const SliderKind& kind : kKinds) {
        SCOPED_TRACE(kind.page);
        Open(kind);
        Type(kind.typed);
        EXPECT_EQ(SetFrames(), kind.typedFrame);
        EXPECT_EQ(m_box->text(), kind.typed);
        EXPECT_EQ(m_slider->value(), QString::fromUtf8(kind.typed).toInt());
        EXPECT_TRUE(m_dlg->isVisible()) << "Enter in the box does not close the window";
        EXPECT_TRUE(m_prompter.Shown().empty());
    }
}

TEST_F(KeyboardEntryTest, NumberOutsideTheRangeIsRefusedWithTheRangeInEitherLanguage) {
    for (const SliderKind& kind : kKinds) {
        for (const bool english : {false, true}) {
            SCOPED_TRACE(std::string(kind.page) + (english ? " English" : " Chinese"));
            Open(kind);
            if (english) m_dlg->ToggleLanguage();
            const QString before = m_box->text();
            Type(kind.outOfRange);
            EXPECT_EQ(SetFrames(), "");
            EXPECT_EQ(m_box->text(), before);
            ASSERT_EQ(m_prompter.Shown().size(), 1u);
            EXPECT_EQ(m_prompter.Shown()[0].text, english ? kind.rangeEnglish : kind.rangeChinese);
            EXPECT_EQ(m_prompter.Shown()[0].icon, PromptIcon::Warning);
        }
    }
}

// The port refuses the send: the slider and the box go back to what the controller holds.
TEST_F(KeyboardEntryTest, KeysOnAClosedPortPutTheValueBack) {
    const SliderKind& kind = kKinds[0];
    Open(kind);
    SessionTestAccess::Comm(m_dlg->Session()).SetPortOpen(false);
    m_slider->setFocus();
    QTest::keyClick(m_slider, Qt::Key_Right);
    m_clock.Advance(300ms);
    EXPECT_EQ(SetFrames(), "");
    EXPECT_EQ(m_box->text(), "0");
    EXPECT_EQ(m_slider->value(), 0);
    ASSERT_FALSE(m_prompter.Shown().empty());
    EXPECT_EQ(m_prompter.Shown().back().icon, PromptIcon::Stop);
}

}  // namespace
