// Changing a parameter without a mouse: the slider moved by keys, the number typed into its box.
#include <QApplication>
#include <QLineEdit>
#include <QSlider>

#include "MainWindowFixture.h"
#include "ResourceIds.h"
#include "SessionTestAccess.h"

using namespace std::chrono_literals;

namespace {

// One slider of each kind of page: what the keys and a typed number send, and a refused number.
struct SliderKind {
    int page, sliderId, boxId, rightPresses;  // presses from the value the window starts with
    const char *keysFrame, *typed, *typedFrame, *outOfRange;
};

const SliderKind kKinds[] = {
    {0, IDC_BASIC_SLIDER_DYN_STAB, IDC_BASIC_EDIT_DYN_STAB, 5, "SE0005\r", "45", "SE0045\r", "101"},
    {2, IDC_GPS_SLIDER_CENTRING, IDC_GPS_EDIT_CENTRING, 2, "S@0002\r", "50", "S@0050\r", "150"},
    // The servo centres travel with an offset of 100.
    {3, IDC_GIMBAL_SLIDER_PITCH_MID, IDC_GIMBAL_EDIT_PITCH_MID, 1, "S&0101\r", "-100", "S&0000\r",
     "-101"},
    // The alarm starts with its thumb at the lower end, 2.80 V.
    {4, IDC_VOLT_ALARM_SLIDER, IDC_VOLT_ALARM_EDIT, 3, "SL0283\r", "330", "SL0330\r", "250"},
};

class KeyboardEntryTest : public MainWindowTest {};

TEST_F(KeyboardEntryTest, KeysTypedNumbersAndRefusalsReachTheWireForEverySliderKind) {
    for (const SliderKind& kind : kKinds) {
        SCOPED_TRACE(kind.page);
        Start();
        SessionTestAccess::State(m_dlg->Session()).m_nFwVersion = 1218;
        m_dlg->ShowPage(kind.page);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_dlg.get()));
        QApplication::setActiveWindow(m_dlg.get());
        auto* slider = FindControlAs<QSlider>(m_dlg->PageWidgets()[kind.page], kind.sliderId);
        auto* box = FindControlAs<QLineEdit>(m_dlg->PageWidgets()[kind.page], kind.boxId);
        ASSERT_TRUE(slider && box);
        const auto setFrames = [this] {  // the set commands sent since the last look
            QByteArray frames;
            for (const auto& frame : m_line->Sent())
                if (frame.bytes.startsWith('S')) frames += frame.bytes;
            m_line->ClearSent();
            return frames;
        };
        const auto type = [box](const char* text) {
            box->setFocus();
            box->selectAll();
            QTest::keyClicks(box, QString::fromUtf8(text));
            QTest::keyClick(box, Qt::Key_Return);
            QCoreApplication::processEvents();  // a refusal is told from the event loop
        };
        setFrames();
        m_prompter.Clear();

        slider->setFocus();
        for (int i = 0; i < kind.rightPresses; ++i) QTest::keyClick(slider, Qt::Key_Right);
        m_clock.Advance(2s);
        EXPECT_EQ(setFrames(), kind.keysFrame) << "one frame once the keys rest";

        type(kind.typed);
        EXPECT_EQ(setFrames(), kind.typedFrame);
        EXPECT_EQ(slider->value(), QString::fromUtf8(kind.typed).toInt());
        EXPECT_TRUE(m_dlg->isVisible()) << "Enter in the box does not close the window";
        EXPECT_TRUE(m_prompter.Shown().empty());

        type(kind.outOfRange);
        EXPECT_EQ(setFrames(), "");
        EXPECT_EQ(box->text(), kind.typed);
        ASSERT_EQ(m_prompter.Shown().size(), 1u);
        EXPECT_EQ(m_prompter.Shown()[0].icon, PromptIcon::Warning);
    }
}

}  // namespace
