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

class StaleValuesTest : public MainWindowTest {
protected:
    // Runs the event loop until the window's read-back has ended (read through or given up).
    void Settle(QSignalSpy& settled, int count) {
        for (int turn = 0; turn < 2000 && settled.count() < count; ++turn)
            QCoreApplication::processEvents();
        ASSERT_EQ(settled.count(), count);
    }
    bool PagesEnabled() {
        for (QWidget* page : m_dlg->PageWidgets())
            if (!page->isEnabled()) return false;
        return true;
    }
    QString Status() { return Control<QLineEdit>(IDC_STATUS)->text(); }
    QLabel* Notice() { return Control<QLabel>(IDC_STALE_VALUES); }
};

TEST_F(StaleValuesTest, LostLineKeepsTheValuesDisabledUntilEveryValueIsReadAgain) {
    CVexaDlg& dlg = Start();
    QSignalSpy settled(&dlg, &CVexaDlg::ReadBackSettled);
    auto controller = std::make_unique<ScriptedController>(*m_line, [](char) { return 42; });
    Click(IDC_REFRESH);
    Settle(settled, 1);
    EXPECT_TRUE(PagesEnabled());
    EXPECT_FALSE(Notice()->isVisible());

    m_line->HangUp();
    QCoreApplication::processEvents();
    struct Expected {
        bool english;
        const char* status;
        const char* notice;
    };
    // The status box still says only whether the port is open; the notice says the rest.
    for (const Expected& e :
         {Expected{false, "串口未打开", "显示的是最后读取的数值"},
          Expected{true, "COM Not Opened", "The values shown are the last read"},
          Expected{false, "串口未打开", "显示的是最后读取的数值"}}) {
        if (dlg.IsEnglish() != e.english) Click(IDC_LANGUAGE);
        EXPECT_EQ(Status(), e.status);
        EXPECT_TRUE(Notice()->isVisible());
        EXPECT_EQ(Notice()->text(), e.notice);
        EXPECT_FALSE(PagesEnabled());
    }
    // The last values stay on show.
    EXPECT_EQ(FindControlAs<QLineEdit>(dlg.PageWidgets()[0], IDC_BASIC_EDIT_MAIN_STAB)->text(),
              "42");

    // The adapter is back, but the controller stops answering halfway: still the last read.
    controller->beforeAnswer = [](const QByteArray& frame) { return frame != "?E\r"; };
    Click(IDC_REFRESH);
    EXPECT_EQ(Status(), "串口已打开");
    m_clock.Advance(1s);
    m_clock.Advance(1s);
    Settle(settled, 2);
    EXPECT_FALSE(PagesEnabled());
    EXPECT_TRUE(Notice()->isVisible());

    // A read-back that reads everything ends it.
    controller->beforeAnswer = nullptr;
    Click(IDC_REFRESH);
    Settle(settled, 3);
    EXPECT_TRUE(PagesEnabled());
    EXPECT_FALSE(Notice()->isVisible());
}

// Disabling a page as a whole leaves its controls' own states alone: the live display's
// disabled grid comes back disabled, not enabled.
TEST_F(StaleValuesTest, PagesComeBackWithTheirControlsAsTheyWere) {
    CVexaDlg& dlg = Start();
    QSignalSpy settled(&dlg, &CVexaDlg::ReadBackSettled);
    ScriptedController controller(*m_line);
    QWidget* gridBox = FindControl(dlg.PageWidgets()[1], IDC_SWITCH_GRID[0][0]);
    gridBox->setEnabled(false);
    m_line->HangUp();
    QCoreApplication::processEvents();
    Click(IDC_REFRESH);
    Settle(settled, 1);
    EXPECT_TRUE(PagesEnabled());
    EXPECT_FALSE(gridBox->isEnabled());
}

}  // namespace
