#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QWheelEvent>

#include "BasicPage.h"
#include "GimbalPage.h"
#include "GpsPage.h"
#include "PageFixture.h"
#include "ResourceIds.h"
#include "VoltagePage.h"

namespace {

// ---- Basic page ----

using BasicPageTest = PageTest<CBasicPage>;

TEST_F(BasicPageTest, DragSendsOneSetCommandOnReleaseWhileTheBoxFollowsAndASaveWritesIt) {
    EXPECT_EQ(m_page->property("dialogTemplate").toInt(), IDD_BASIC_PAGE);
    EXPECT_EQ(&m_dlg->BasicPage(), m_page);
    QSlider* slider = Slider(IDC_BASIC_SLIDER_DYN_STAB);
    QTest::mousePress(slider, Qt::LeftButton, {}, slider_driver::ThumbAt(slider, 0));
    QTest::mouseMove(slider, slider_driver::ThumbAt(slider, 20));
    EXPECT_EQ(Box(IDC_BASIC_EDIT_DYN_STAB), "20");
    EXPECT_EQ(Sent(), "");

    QTest::mouseMove(slider, slider_driver::ThumbAt(slider, 37));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, slider_driver::ThumbAt(slider, 37));
    EXPECT_EQ(Sent(), "SE0037\r");
    EXPECT_EQ(Box(IDC_BASIC_EDIT_DYN_STAB), "37");
    ExpectNothingAwaited();
    EXPECT_EQ(Saved('E'), 37);  // a save writes what the controller was sent
}

TEST_F(BasicPageTest, TrackClickSendsOnceAndKeysSendOnceTheyRest) {
    slider_driver::ClickTrackRight(Slider(IDC_BASIC_SLIDER_DYN_STAB));
    EXPECT_EQ(Sent(), "SE0010\r");

    m_line->ClearSent();
    Slider(IDC_BASIC_SLIDER_DYN_STAB)->setFocus();
    QTest::keyClick(Slider(IDC_BASIC_SLIDER_DYN_STAB), Qt::Key_Right);
    EXPECT_EQ(Box(IDC_BASIC_EDIT_DYN_STAB), "11");
    EXPECT_EQ(Sent(), "");
    m_clock.Advance(std::chrono::milliseconds(300));
    EXPECT_EQ(Sent(), "SE0011\r");
    EXPECT_EQ(Saved('E'), 11);
}

TEST_F(BasicPageTest, WheelOverASliderMovesNothingWithOrWithoutFocus) {
    QSlider* slider = Slider(IDC_BASIC_SLIDER_DYN_STAB);
    ControllerHolds('E', 30);
    for (const bool focused : {false, true}) {
        if (focused) slider->setFocus();
        QWheelEvent wheel(QPointF(5, 5), slider->mapToGlobal(QPointF(5, 5)), QPoint(),
                          QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(slider, &wheel);
        EXPECT_EQ(slider->value(), 30);
        EXPECT_EQ(Box(IDC_BASIC_EDIT_DYN_STAB), "30");
    }
    m_clock.Advance(std::chrono::seconds(1));  // longer than keys or a wheel would rest
    EXPECT_EQ(Sent(), "");
    EXPECT_EQ(Saved('E'), 30);
}

// The port refuses the send: the operator sees why, and the slider, its box and the cache keep
// the value the controller holds, so that nothing shows or exports a value it never got.
TEST_F(BasicPageTest, ARefusedSendPutsTheSliderBackAndLeavesTheCache) {
    ControllerHolds('E', 30);
    m_dlg->Session().ClosePort();
    Drag(IDC_BASIC_SLIDER_DYN_STAB, 37);
    ASSERT_EQ(m_prompter.Shown().size(), 1u);
    EXPECT_EQ(m_prompter.Shown()[0].icon, PromptIcon::Stop);
    EXPECT_EQ(Box(IDC_BASIC_EDIT_DYN_STAB), "30");
    EXPECT_EQ(Slider(IDC_BASIC_SLIDER_DYN_STAB)->value(), 30);
    EXPECT_EQ(Sent(), "");
    EXPECT_EQ(Saved('E'), 30);
}

TEST_F(BasicPageTest, RightClickOnASliderSendsNothing) {
    QSlider* slider = Slider(IDC_BASIC_SLIDER_DYN_STAB);
    QTest::mouseClick(slider, Qt::RightButton, {}, slider_driver::ThumbAt(slider, 60));
    QTest::mouseClick(slider, Qt::RightButton, {}, slider_driver::ThumbAt(slider, 0));
    EXPECT_EQ(Sent(), "");
}

TEST_F(BasicPageTest, SendLeavesTheMainWindowsDeclinationBoxAlone) {
    auto* declination = FindControlAs<QLineEdit>(m_dlg.get(), IDC_DECLINATION);
    declination->setText("east");
    Drag(IDC_BASIC_SLIDER_DYN_STAB, 37);
    EXPECT_EQ(Sent(), "SE0037\r");
    EXPECT_TRUE(m_prompter.Shown().empty());
    EXPECT_EQ(declination->text(), "east");
}

TEST_F(BasicPageTest, GraveAccentLetterSendsFullAndEmptyValues) {
    Drag(IDC_BASIC_SLIDER_HEIGHT_STAB, 100);
    Drag(IDC_BASIC_SLIDER_HEIGHT_STAB, 0);
    EXPECT_EQ(Sent(), "S`0100\rS`0000\r");
}

TEST_F(BasicPageTest, ReadBackShowsInSliderAndBoxAndOutOfRangeShowsZero) {
    EXPECT_TRUE(ReadBack('D', 45));
    EXPECT_EQ(Slider(IDC_BASIC_SLIDER_AUX_STAB)->value(), 45);
    EXPECT_EQ(Box(IDC_BASIC_EDIT_AUX_STAB), "45");

    EXPECT_TRUE(ReadBack('C', 150));
    EXPECT_EQ(Slider(IDC_BASIC_SLIDER_MAIN_STAB)->value(), 0);
    EXPECT_EQ(Box(IDC_BASIC_EDIT_MAIN_STAB), "0");
    EXPECT_EQ(Box(IDC_BASIC_EDIT_AUX_STAB), "45") << "another letter's pair is left alone";

    EXPECT_FALSE(m_page->ShowReadBack('@', 10)) << "a GPS letter is not the basic page's";
    EXPECT_EQ(Sent(), "") << "a read-back sends nothing";
}

TEST_F(BasicPageTest, HintAsksOkCancelInTheLanguageAndEitherAnswerSendsNothing) {
    m_prompter.QueueAnswer(PromptAnswer::Cancel);
    m_prompter.QueueAnswer(PromptAnswer::Ok);
    QTest::mouseClick(Control(IDC_BASIC_LABEL_HEIGHT_LOCK), Qt::LeftButton);
    QTest::mouseClick(Control(IDC_BASIC_LABEL_HEIGHT_LOCK), Qt::LeftButton);

    ASSERT_EQ(m_prompter.Shown().size(), 2u);
    const PromptMessage& hint = m_prompter.Shown()[0];
    EXPECT_EQ(hint.caption, "瑞翎航模提示：");
    EXPECT_EQ(hint.buttons, PromptButtons::OkCancel);
    EXPECT_TRUE(hint.text.startsWith("提示：请拖动滑块到相应数值处"));
    EXPECT_TRUE(hint.text.contains("设置为相应的高度锁定度值!\r\r描述：如果选择了气压计和超声波"));

    m_dlg->ToggleLanguage();
    QTest::mouseClick(Control(IDC_BASIC_LABEL_HEIGHT_LOCK), Qt::LeftButton);
    ASSERT_EQ(m_prompter.Shown().size(), 3u);
    EXPECT_EQ(m_prompter.Shown()[2].caption, "Velmora Mentioned：");
    EXPECT_EQ(Sent(), "");
}

// ---- GPS page ----

using GpsPageTest = PageTest<CGpsPage>;

TEST_F(GpsPageTest, NeitherDraggingNorSendingTouchesTheCache) {
    ControllerHolds('@', 77);
    QSlider* slider = Slider(IDC_GPS_SLIDER_CENTRING);
    QTest::mousePress(slider, Qt::LeftButton, {}, slider_driver::ThumbAt(slider, 77));
    QTest::mouseMove(slider, slider_driver::ThumbAt(slider, 50));
    EXPECT_EQ(Box(IDC_GPS_EDIT_CENTRING), "50");
    EXPECT_EQ(Sent(), "");

    QTest::mouseRelease(slider, Qt::LeftButton, {}, slider_driver::ThumbAt(slider, 50));
    EXPECT_EQ(Sent(), "S@0050\r");
    EXPECT_EQ(Saved('@'), 77);

    m_line->ClearSent();
    Drag(IDC_GPS_SLIDER_HOME_SPEED, 100);
    EXPECT_EQ(Sent(), "S!0100\r");
}

TEST_F(GpsPageTest, ReadBackOutOfRangeShowsZero) {
    ReadBack('#', 30);
    EXPECT_TRUE(ReadBack('@', 150));
    EXPECT_EQ(Slider(IDC_GPS_SLIDER_CENTRING)->value(), 0);
    EXPECT_EQ(Box(IDC_GPS_EDIT_CENTRING), "0");
    EXPECT_EQ(Box(IDC_GPS_EDIT_WIND), "30");
}

// ---- Gimbal page ----

// Wide enough for the mouse to reach every value of the -100..100 sliders.
class GimbalPageTest : public PageTest<CGimbalPage> {
protected:
    void SetUp() override {
        PageTest::SetUp();
        m_page->resize(1800, 380);
    }
};

TEST_F(GimbalPageTest, ServoCentresTravelWithAnOffsetOfHundredAndCacheTheShownValue) {
    Drag(IDC_GIMBAL_SLIDER_PITCH_MID, -100);
    EXPECT_EQ(Saved('&'), -100);
    Drag(IDC_GIMBAL_SLIDER_PITCH_MID, 0);
    Drag(IDC_GIMBAL_SLIDER_PITCH_MID, 100);
    EXPECT_EQ(Sent(), "S&0000\rS&0100\rS&0200\r");
    EXPECT_EQ(Saved('&'), 100);
    EXPECT_EQ(Box(IDC_GIMBAL_EDIT_PITCH_MID), "100");

    EXPECT_TRUE(ReadBack('^', 250));
    EXPECT_EQ(Box(IDC_GIMBAL_EDIT_ROLL_MID), "0");
    EXPECT_EQ(Slider(IDC_GIMBAL_SLIDER_ROLL_MID)->value(), 0);
    ReadBack('^', 40);
    EXPECT_EQ(Box(IDC_GIMBAL_EDIT_ROLL_MID), "-60");
    EXPECT_EQ(Slider(IDC_GIMBAL_SLIDER_ROLL_MID)->value(), -60);
}

TEST_F(GimbalPageTest, DraggingLeavesTheCacheAlone) {
    ControllerHolds('_', 12);
    QSlider* slider = Slider(IDC_GIMBAL_SLIDER_PITCH_LIMIT);
    QTest::mousePress(slider, Qt::LeftButton, {}, slider_driver::ThumbAt(slider, 12));
    QTest::mouseMove(slider, slider_driver::ThumbAt(slider, 60));
    EXPECT_EQ(Box(IDC_GIMBAL_EDIT_PITCH_LIMIT), "60");
    EXPECT_EQ(Sent(), "");  // the controller keeps 12 until the release
    QTest::mouseRelease(slider, Qt::LeftButton, {}, slider_driver::ThumbAt(slider, 60));
    EXPECT_EQ(Sent(), "S_0060\r");
    EXPECT_EQ(Saved('_'), 60);

    EXPECT_TRUE(ReadBack('_', 101));
    EXPECT_EQ(Box(IDC_GIMBAL_EDIT_PITCH_LIMIT), "0");
}

TEST_F(GimbalPageTest, PitchScaleEncodingFollowsTheFirmwareVersion) {
    Drag(IDC_GIMBAL_SLIDER_PITCH_SCALE, 30);
    EXPECT_EQ(Sent(), "SK0030\r");

    m_firmware = 1200;  // the controller now runs firmware 1.200
    RefreshFromController();
    m_line->ClearSent();
    Drag(IDC_GIMBAL_SLIDER_PITCH_SCALE, 0);
    Drag(IDC_GIMBAL_SLIDER_PITCH_SCALE, 30);
    EXPECT_EQ(Sent(), "SK0100\rSK0130\r");
    ReadBack('K', 130);
    EXPECT_EQ(Box(IDC_GIMBAL_EDIT_PITCH_SCALE), "30");

    // Out of range on old firmware shows -100 with the thumb at its lower end.
    ReadBack('J', 300);
    EXPECT_EQ(Box(IDC_GIMBAL_EDIT_ROLL_SCALE), "-100");
    EXPECT_EQ(Slider(IDC_GIMBAL_SLIDER_ROLL_SCALE)->value(), 0);
}

// ---- Language ----

TEST(PageLanguage, LabelButtonsStaticsAndGroupTitlesSwitchAndSwitchBack) {
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    FakeClock clock;
    ScriptedPrompter prompter;
    {
        CVexaDlg dlg(std::make_unique<MemoryLine>(clock), clock, prompter);
        CBasicPage basic(dlg);
        CGpsPage gps(dlg);
        CGimbalPage gimbal(dlg);
        CVoltagePage voltage(dlg);
        for (CSliderPage* page :
             std::initializer_list<CSliderPage*>{&basic, &gps, &gimbal, &voltage})
            page->SetEnglish(true);
        EXPECT_EQ(FindControlAs<QPushButton>(&basic, IDC_BASIC_LABEL_MAIN_STAB)->text(),
                  "Stabili_Level");
        EXPECT_EQ(FindControlAs<QLabel>(&gps, IDC_GPS_LABEL_WIND)->text(),
                  "Anti-Wind Strength to Position");
        EXPECT_EQ(FindControlAs<QPushButton>(&gimbal, IDC_GIMBAL_LABEL_Z_LIMIT)->text(),
                  "Z AxilAngularLimit");
        EXPECT_EQ(FindControlAs<QGroupBox>(&voltage, IDC_VOLT_GROUP)->title(),
                  "Battery Voltage Calibrate and Alarm Setup");
        EXPECT_EQ(FindControlAs<QPushButton>(&voltage, IDC_VOLT_CALIBRATE)->text(), "Calibrate");

        // Back in Chinese a label reads as its template has it.
        gimbal.SetEnglish(false);
        EXPECT_EQ(FindControlAs<QPushButton>(&gimbal, IDC_GIMBAL_LABEL_Z_SCALE)->text(),
                  "云台 Z 轴比例");
    }
    QDir::setCurrent(previous);
}

}  // namespace
