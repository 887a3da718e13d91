// The pages' values after a line loss: shown disabled, with a notice beside the status, until a
// read-back has read every value again.
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
        EXPECT_EQ(notice->text(),
                  english ? "The values shown are the last read" : "显示的是最后读取的数值");
        EXPECT_FALSE(pagesEnabled());
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

}  // namespace
