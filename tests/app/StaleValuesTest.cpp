// The window after a line loss: the pages and every sender of the upper panel shown disabled,
// with a notice beside the status, until a read-back has read every value again.
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>

#include "MainWindowFixture.h"
#include "ResourceIds.h"
#include "ScriptedController.h"

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
    // Every sender of the upper panel is held with the pages; the port's controls are not.
    auto panelEnabled = [&](std::initializer_list<int> ids) {
        return std::ranges::all_of(ids, [&](int id) { return Control(id)->isEnabled(); });
    };
    const auto senders = {IDC_FRAME_TYPE,      IDC_ESC_RATE,     IDC_SERVO_RATE,
                          IDC_DECLINATION_SET, IDC_RESTORE_LIST, IDC_SENSOR_BATTERY,
                          IDC_SENSOR_RECEIVER, IDC_SENSOR_GYRO,  IDC_SENSOR_ACCEL,
                          IDC_SENSOR_MAG,      IDC_SENSOR_BARO,  IDC_SENSOR_SONAR,
                          IDC_SENSOR_GPS};
    auto* notice = Control<QLabel>(IDC_STALE_VALUES);
    ScriptedController controller(*m_line, [](char) { return 42; });
    Click(IDC_REFRESH);
    settle(1);
    EXPECT_TRUE(pagesEnabled());
    EXPECT_TRUE(panelEnabled(senders));
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
        EXPECT_FALSE(pagesEnabled());
        EXPECT_FALSE(
            std::ranges::any_of(senders, [&](int id) { return Control(id)->isEnabled(); }));
        EXPECT_TRUE(panelEnabled({IDC_PORT_LIST, IDC_REFRESH, IDC_PORT_HINT, IDC_LANGUAGE}));
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
    EXPECT_TRUE(panelEnabled(senders));
    EXPECT_FALSE(notice->isVisible());
    EXPECT_FALSE(heldBox->isEnabled());
}

// A page switch enables the upper panel's controls again, but not after a line loss.
TEST_F(MainWindowTest, APageSwitchAfterALineLossLeavesTheUpperPanelHeld) {
    Start();
    ScriptedController controller(*m_line, [](char) { return 1; });
    Click(IDC_REFRESH);
    for (int turn = 0; turn < 2000 && !Control(IDC_SENSOR_GPS)->isEnabled(); ++turn)
        QCoreApplication::processEvents();
    ASSERT_TRUE(Control(IDC_SENSOR_GPS)->isEnabled());
    m_line->HangUp();
    QCoreApplication::processEvents();
    Click(IDC_PAGE_GPS);
    for (int id : {IDC_FRAME_TYPE, IDC_DECLINATION_SET, IDC_RESTORE_LIST, IDC_SENSOR_GPS})
        EXPECT_FALSE(Control(id)->isEnabled()) << id;
}

}  // namespace
