// Changing a parameter without a mouse: the slider moved by keys, the number typed into its box.
#include <QApplication>
#include <QLineEdit>
#include <QSlider>
#include <functional>

#include "BasicPage.h"
#include "MainWindowFixture.h"
#include "ResourceIds.h"

using namespace std::chrono_literals;

namespace {

// One slider of each kind of page: what the keys and a typed number send, and a refused number.
struct SliderKind {
    int page, sliderId, boxId, rightPresses;  // presses from the value the window starts with
    const char *keysFrame, *typed, *typedFrame, *outOfRange;
    const char* typedShown;  // how the box shows the typed value once sent
    int typedValue;          // where the thumb stands then
};

const SliderKind kKinds[] = {
    {0, IDC_BASIC_SLIDER_DYN_STAB, IDC_BASIC_EDIT_DYN_STAB, 5, "SE0005\r", "45", "SE0045\r", "101",
     "45", 45},
    {2, IDC_GPS_SLIDER_CENTRING, IDC_GPS_EDIT_CENTRING, 2, "S@0002\r", "50", "S@0050\r", "150",
     "50", 50},
    // The servo centres travel with an offset of 100.
    {3, IDC_GIMBAL_SLIDER_PITCH_MID, IDC_GIMBAL_EDIT_PITCH_MID, 1, "S&0101\r", "-100", "S&0000\r",
     "-101", "-100", -100},
    // The alarm starts with its thumb at the lower end, 2.80 V; it is typed in volts.
    {4, IDC_VOLT_ALARM_SLIDER, IDC_VOLT_ALARM_EDIT, 3, "SL0283\r", "3.30", "SL0330\r", "2.50",
     "3.30 V", 330},
};

class KeyboardEntryTest : public MainWindowTest {};

TEST_F(KeyboardEntryTest, KeysTypedNumbersAndRefusalsReachTheWireForEverySliderKind) {
    for (const SliderKind& kind : kKinds) {
        SCOPED_TRACE(kind.page);
        StartOnController();  // firmware 1.218
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
        EXPECT_EQ(slider->value(), kind.typedValue);
        EXPECT_EQ(box->text(), QString::fromUtf8(kind.typedShown));
        EXPECT_TRUE(m_dlg->isVisible()) << "Enter in the box does not close the window";
        EXPECT_TRUE(m_prompter.Shown().empty());

        type(kind.outOfRange);
        EXPECT_EQ(setFrames(), "");
        EXPECT_EQ(box->text(), QString::fromUtf8(kind.typedShown));
        ASSERT_EQ(m_prompter.Shown().size(), 1u);
        EXPECT_EQ(m_prompter.Shown()[0].icon, PromptIcon::Warning);
    }
}

// A number typed into a slider's box ends sent or put back, whichever way the box is left: the
// controller holds 30, 45 is typed, then the box is left.
TEST_F(KeyboardEntryTest, ATypedNumberIsSentOrPutBackWhicheverWayTheBoxIsLeft) {
    struct Leaving {
        const char* name;
        std::function<void(QLineEdit*)> leave;
        const char* wire;  // the gain's frame sent
        int shown;         // what box and slider show afterwards
    };
    const Leaving ways[] = {
        {"Return", [](QLineEdit* box) { QTest::keyClick(box, Qt::Key_Return); }, "SC0045\r", 45},
        {"Tab", [](QLineEdit* box) { QTest::keyClick(box, Qt::Key_Tab); }, "SC0045\r", 45},
        {"focus out",
         [this](QLineEdit*) {
             FindControl(m_dlg->PageWidgets()[0], IDC_BASIC_SLIDER_AUX_STAB)
                 ->setFocus(Qt::MouseFocusReason);
         },
         "SC0045\r", 45},
        {"page button", [this](QLineEdit*) { Click(IDC_PAGE_GPS); }, "SC0045\r", 45},
        {"page switch", [this](QLineEdit*) { m_dlg->ShowPage(2); }, "SC0045\r", 45},
        {"Escape", [](QLineEdit* box) { QTest::keyClick(box, Qt::Key_Escape); }, "", 30},
    };
    for (const Leaving& way : ways) {
        SCOPED_TRACE(way.name);
        Start();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_dlg.get()));
        QApplication::setActiveWindow(m_dlg.get());
        m_dlg->BasicPage().ShowReadBack('C', 30);
        QWidget* page = m_dlg->PageWidgets()[0];
        auto* box = FindControlAs<QLineEdit>(page, IDC_BASIC_EDIT_MAIN_STAB);
        auto* slider = FindControlAs<QSlider>(page, IDC_BASIC_SLIDER_MAIN_STAB);
        ASSERT_TRUE(box && slider);
        box->setFocus(Qt::TabFocusReason);
        box->selectAll();
        QTest::keyClicks(box, QStringLiteral("45"));
        m_line->ClearSent();
        way.leave(box);
        QCoreApplication::processEvents();
        QByteArray gains;
        for (const auto& frame : m_line->Sent())
            if (frame.bytes.startsWith("SC")) gains += frame.bytes;
        EXPECT_EQ(gains, way.wire);
        EXPECT_EQ(box->text(), QString::number(way.shown));
        EXPECT_EQ(slider->value(), way.shown);
        EXPECT_TRUE(m_dlg->isVisible());
        EXPECT_TRUE(m_prompter.Shown().empty());
        m_dlg.reset();
    }
}

}  // namespace
