// The window after a line loss: the pages and every sender of the upper panel shown disabled,
// with a notice beside the status, until a read-back has read every value again.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>

#include "MainWindowFixture.h"
#include "ResourceIds.h"
#include "ScriptedController.h"
#include "SessionTestAccess.h"

using namespace std::chrono_literals;

namespace {

TEST_F(MainWindowTest, LostLineKeepsTheValuesDisabledUntilEveryValueIsReadAgain) {
    CVexaDlg& dlg = Start();
    QSignalSpy settled(&dlg, &CVexaDlg::ReadBackSettled);
    auto settle = [&](int count) {
        for (int turn = 0; turn < 2000 && settled.count() < count; ++turn)
            QCoreApplication::processEvents();
        ASSERT_EQ(settled.count(), count);
    };
    auto pagesEnabled = [&] {
        return std::ranges::all_of(dlg.PageWidgets(), [](QWidget* p) { return p->isEnabled(); });
    };
    auto* notice = Control<QLabel>(IDC_STALE_VALUES);
    ScriptedController controller(*m_line, [](char) { return 42; });
    Click(IDC_REFRESH);
    settle(1);
    EXPECT_TRUE(pagesEnabled());
    EXPECT_FALSE(notice->isVisible());
    // A control the page holds disabled of its own accord stays so afterwards.
    QWidget* heldBox = FindControl(dlg.PageWidgets()[1], IDC_SWITCH_GRID[0][0]);
    heldBox->setEnabled(false);

    m_line->HangUp();
    QCoreApplication::processEvents();
    // The status box still says only whether the port is open; the notice says the rest.
    for (bool english : {false, true, false}) {
        if (dlg.IsEnglish() != english) Click(IDC_LANGUAGE);
        EXPECT_EQ(Control<QLineEdit>(IDC_STATUS)->text(),
                  english ? "COM Not Opened" : "串口未打开");
        EXPECT_TRUE(notice->isVisible());
        EXPECT_EQ(notice->text(), english ? "Line lost: last values read. Reconnect, press Refresh"
                                          : "连接已断开，显示最后读取的值。检查连接后点“刷新”");
        EXPECT_TRUE(notice->toolTip().contains(english ? "press Refresh" : "点击“刷新”"));
        EXPECT_FALSE(pagesEnabled());
        EXPECT_LE(notice->heightForWidth(notice->width()), notice->height()) << "cut off";
    }
    EXPECT_EQ(FindControlAs<QLineEdit>(dlg.PageWidgets()[0], IDC_BASIC_EDIT_MAIN_STAB)->text(),
              "42");

    // The adapter is back, but the controller stops answering halfway: still the last read.
    controller.beforeAnswer = [](const QByteArray& frame) { return frame != "?E\r"; };
    Click(IDC_REFRESH);
    // The replies before "?E" are taken (a time-out takes what waits on the port first).
    for (int turn = 0; turn < 2000 && !m_line->SentBytes().endsWith("?E\r"); ++turn)
        QCoreApplication::processEvents();
    m_clock.Advance(1s);
    QCoreApplication::processEvents();
    m_clock.Advance(1s);
    settle(2);
    EXPECT_FALSE(pagesEnabled());
    EXPECT_TRUE(notice->isVisible());

    // A read-back that reads everything ends it.
    controller.beforeAnswer = nullptr;
    Click(IDC_REFRESH);
    settle(3);
    EXPECT_TRUE(pagesEnabled());
    EXPECT_FALSE(notice->isVisible());
    EXPECT_FALSE(heldBox->isEnabled());
}

// Everything of the upper panel that would send is held; what reconnects is not.
const int kUpperPanelSenders[] = {
    IDC_FRAME_TYPE,     IDC_ESC_RATE,        IDC_SERVO_RATE,      IDC_DECLINATION_SET,
    IDC_RESTORE_LIST,   IDC_SENSOR_BATTERY,  IDC_SENSOR_RECEIVER, IDC_SENSOR_GYRO,
    IDC_SENSOR_ACCEL,   IDC_SENSOR_MAG,      IDC_SENSOR_BARO,     IDC_SENSOR_SONAR,
    IDC_SENSOR_GPS,
};
const int kReconnecting[] = {IDC_PORT_LIST, IDC_REFRESH, IDC_PORT_HINT, IDC_LANGUAGE};

TEST_F(MainWindowTest, AfterALineLossNoUpperPanelControlSendsUntilEverythingIsReadAgain) {
    CVexaDlg& dlg = Start();
    QSignalSpy settled(&dlg, &CVexaDlg::ReadBackSettled);
    ScriptedController controller(*m_line, [](char) { return 1; });
    Click(IDC_REFRESH);
    for (int turn = 0; turn < 2000 && settled.isEmpty(); ++turn) QCoreApplication::processEvents();
    ASSERT_EQ(settled.count(), 1);
    for (int id : kUpperPanelSenders) EXPECT_TRUE(Control(id)->isEnabled()) << id;

    m_line->HangUp();
    QCoreApplication::processEvents();
    m_prompter.Clear();
    // A page switch enables the panel's controls again, and has no stream to stop.
    Click(IDC_PAGE_GPS);
    Click(IDC_PAGE_BASIC);
    EXPECT_TRUE(m_prompter.Shown().empty());
    for (int id : kUpperPanelSenders) EXPECT_FALSE(Control(id)->isEnabled()) << id;
    for (int id : kReconnecting) EXPECT_TRUE(Control(id)->isEnabled()) << id;

    Click(IDC_REFRESH);
    for (int turn = 0; turn < 2000 && settled.count() < 2; ++turn)
        QCoreApplication::processEvents();
    ASSERT_EQ(settled.count(), 2);
    for (int id : kUpperPanelSenders) EXPECT_TRUE(Control(id)->isEnabled()) << id;
}

// The serial control's refusal speaks the window's language, and the control that tried to
// send shows again what the controller holds.
TEST_F(MainWindowTest, ARefusedSendIsToldInTheWindowsLanguageAndTheControlGoesBack) {
    CVexaDlg& dlg = Start();
    SessionTestAccess::Comm(dlg.Session()).SetPortOpen(false);
    m_line->ClearSent();
    auto* baro = Control<QCheckBox>(IDC_SENSOR_BARO);
    auto* servo = Control<QComboBox>(IDC_SERVO_RATE);
    for (const bool english : {false, true}) {
        if (dlg.IsEnglish() != english) dlg.ToggleLanguage();
        m_prompter.Clear();
        Click(IDC_SENSOR_BARO);
        EXPECT_FALSE(baro->isChecked());
        servo->setCurrentIndex(2);
        emit servo->activated(2);
        EXPECT_EQ(servo->currentIndex(), 0);
        ASSERT_EQ(m_prompter.Shown().size(), 2u);
        for (const PromptMessage& shown : m_prompter.Shown()) {
            EXPECT_EQ(shown.icon, PromptIcon::Stop);
            EXPECT_EQ(shown.text, english ? "COM3 is not open: nothing can be sent"
                                          : "COM3 未打开：无法发送数据");
        }
    }
    EXPECT_EQ(Sent(), "");
}

}  // namespace
