#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QWheelEvent>

#include "MainWindowFixture.h"
#include "ParamTable.h"
#include "ResourceIds.h"

namespace {

class ControllerSettingsTest : public MainWindowTest {
protected:
    void Choose(int listId, int index) {
        auto* list = Control<QComboBox>(listId);
        list->setCurrentIndex(index);
        emit list->activated(index);
    }
};

}  // namespace

TEST_F(ControllerSettingsTest, FrameTypeIsSentAsItsCodeAndThePortIsReopenedForAReadBack) {
    Start();
    m_line->ClearSent();
    const int opens = m_line->OpenCount();
    Choose(IDC_FRAME_TYPE, 7);  // "8. INV Y6"
    EXPECT_EQ(Sent(), "SA0015\r?V\r");
    EXPECT_EQ(m_line->OpenCount(), opens + 1);
    EXPECT_EQ(Saved('A'), 8);
    EXPECT_FALSE(Control(IDC_FRAME_EDIT)->isEnabled());
    EXPECT_FALSE(Control(IDC_FRAME_EDIT)->isVisible());

    m_line->ClearSent();
    Choose(IDC_FRAME_TYPE, 15);  // "16. IRRET_SHAPE"
    EXPECT_EQ(Sent(), "SA0016\r?V\r");
    EXPECT_TRUE(Control(IDC_FRAME_EDIT)->isEnabled());
    EXPECT_TRUE(Control(IDC_FRAME_EDIT)->isVisible());
}

TEST_F(ControllerSettingsTest, OutputRatesAreSentAsTheirCodesAndCachedAsListEntries) {
    Start();
    m_line->ClearSent();
    Choose(IDC_ESC_RATE, 4);    // "5. 400Hz (2.5ms)"
    Choose(IDC_SERVO_RATE, 1);  // "2. 270Hz舵机"
    EXPECT_EQ(Sent(), "SB0007\rSP0003\r");
    const ParameterValues saved = SavedFileValues();
    EXPECT_EQ(saved[std::size_t(*CacheSlotOf('B'))], 5);
    EXPECT_EQ(saved[std::size_t(*CacheSlotOf('P'))], 2);
}

TEST_F(ControllerSettingsTest, SensorMaskIsBuiltFromAllEightBoxes) {
    Start();
    m_line->ClearSent();
    Control<QCheckBox>(IDC_SENSOR_GPS)->setChecked(true);
    QTest::mouseClick(Control(IDC_SENSOR_MAG), Qt::LeftButton);
    EXPECT_EQ(Sent(), "SM0144\r");
    EXPECT_EQ(Saved('M'), 0b10010000);  // the flag lines of GPS and the compass
}

TEST_F(ControllerSettingsTest, DeclinationIsSentWithItsOffsetOnlyAfterOk) {
    Start();
    m_line->ClearSent();
    Control<QLineEdit>(IDC_DECLINATION)->setText("-5");
    m_prompter.QueueAnswer(PromptAnswer::Cancel);
    Click(IDC_DECLINATION_SET);
    EXPECT_TRUE(Sent().isEmpty());

    m_prompter.QueueAnswer(PromptAnswer::Ok);
    Click(IDC_DECLINATION_SET);
    EXPECT_EQ(Sent(), "SQ0175\r");
    EXPECT_EQ(m_prompter.Shown()[0].text, "您需要立即设置本地磁偏角值吗？");
    EXPECT_EQ(m_prompter.Shown()[0].caption, "瑞翎航模提示：本地磁偏角设置");
    EXPECT_EQ(Saved('Q'), -5);
    ExpectEchoAwaited();  // the set waits for its echo
}

TEST_F(ControllerSettingsTest, DeclinationThatCannotTravelIsRefusedAndNothingIsSent) {
    CVexaDlg& dlg = Start();
    m_line->ClearSent();
    for (const char* text : {"abc", "181", "-181", "9999"}) {
        Control<QLineEdit>(IDC_DECLINATION)->setText(text);
        m_prompter.Clear();
        m_prompter.QueueAnswer(PromptAnswer::Ok);
        Click(IDC_DECLINATION_SET);
        EXPECT_TRUE(Sent().isEmpty()) << text;
        ASSERT_EQ(m_prompter.Shown().size(), 2u) << text;
    }
    EXPECT_EQ(m_prompter.Shown()[1].caption, "瑞翎航模提示：");
    dlg.ToggleLanguage();
    m_prompter.Clear();
    m_prompter.QueueAnswer(PromptAnswer::Ok);
    Click(IDC_DECLINATION_SET);
    EXPECT_TRUE(m_prompter.Shown()[1].text.startsWith("The declination"));
    Control<QLineEdit>(IDC_DECLINATION)->setText("abc");
    m_prompter.Clear();
    m_prompter.QueueAnswer(PromptAnswer::Ok);
    Click(IDC_DECLINATION_SET);
    EXPECT_EQ(m_prompter.Shown()[1].text, "Please enter a whole number.");
    EXPECT_TRUE(Sent().isEmpty());
}

TEST_F(ControllerSettingsTest, HintsCloseOnEitherAnswerAndSendNothing) {
    Start();
    m_line->ClearSent();
    for (int id : {IDC_FRAME_HINT, IDC_ESC_HINT, IDC_SERVO_HINT, IDC_SENSOR_HINT,
                   IDC_DECLINATION_HINT, IDC_PORT_HINT}) {
        m_prompter.QueueAnswer(PromptAnswer::Cancel);
        Click(id);
        m_prompter.QueueAnswer(PromptAnswer::Ok);
        Click(id);
    }
    ASSERT_EQ(m_prompter.Shown().size(), 12u);
    for (const PromptMessage& shown : m_prompter.Shown())
        EXPECT_EQ(shown.buttons, PromptButtons::OkCancel);
    EXPECT_EQ(m_prompter.Shown()[8].caption, "瑞翎航模提示：本地磁偏角设置");
    EXPECT_TRUE(
        m_prompter.Shown()[0].text.startsWith("提示：请根据您的机器从右侧列表框中选择多轴模式"));
    EXPECT_TRUE(Sent().isEmpty());
}

// What a read-back reports lands in the upper panel's lists, boxes and declination, and showing
// it sends nothing but the read-back's own queries.
TEST_F(ControllerSettingsTest, ReadBackLandsInListsBoxesAndDeclination) {
    Start();
    const std::pair<char, int> reported[] = {{'A', 8},    {'B', 5}, {'P', 4},
                                             {'M', 0xA0}, {'j', 2}, {'Q', 20}};
    for (const auto& [letter, shown] : reported)
        m_held[letter] = WireFromShown(letter, shown, 1218);
    RefreshFromController();
    EXPECT_EQ(Control<QComboBox>(IDC_FRAME_TYPE)->currentText(), "8. INV Y6");
    EXPECT_EQ(Control<QComboBox>(IDC_ESC_RATE)->currentIndex(), 4);
    EXPECT_EQ(Control<QComboBox>(IDC_SERVO_RATE)->currentIndex(), 3);
    EXPECT_FALSE(Control<QCheckBox>(IDC_SENSOR_MAG)->isChecked());
    EXPECT_TRUE(Control<QCheckBox>(IDC_SENSOR_BARO)->isChecked());
    EXPECT_TRUE(Control<QCheckBox>(IDC_SENSOR_GPS)->isChecked());
    EXPECT_EQ(Control<QComboBox>(IDC_RESTORE_LIST)->currentIndex(), 2);
    EXPECT_EQ(Control<QLineEdit>(IDC_DECLINATION)->text(), "20");
    m_held['A'] = WireFromShown('A', 16, 1218);
    RefreshFromController();
    EXPECT_TRUE(Control(IDC_FRAME_EDIT)->isVisible());
    for (const auto& frame : m_line->Sent())
        EXPECT_TRUE(frame.bytes.startsWith('?')) << frame.bytes.constData();
}

TEST_F(ControllerSettingsTest, WheelOverAListWithoutFocusChangesNothing) {
    Start();
    m_line->ClearSent();
    const int opens = m_line->OpenCount();
    Control(IDC_DECLINATION)->setFocus();
    for (int id : {IDC_FRAME_TYPE, IDC_ESC_RATE, IDC_SERVO_RATE, IDC_PORT_LIST, IDC_RESTORE_LIST}) {
        auto* list = Control<QComboBox>(id);
        const int before = list->currentIndex();
        QWheelEvent wheel(QPointF(5, 5), list->mapToGlobal(QPointF(5, 5)), QPoint(),
                          QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(list, &wheel);
        EXPECT_EQ(list->currentIndex(), before) << id;
    }
    EXPECT_TRUE(Sent().isEmpty());
    EXPECT_EQ(m_line->OpenCount(), opens);
}
