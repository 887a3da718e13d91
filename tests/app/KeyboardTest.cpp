// Tab and Shift+Tab over the main window and the frame editor, with real key events.
#include <QApplication>
#include <QSet>
#include <QTest>

#include "FrameDlg.h"
#include "MainWindowFixture.h"
#include "ResourceIds.h"

namespace {

const int kPageButtons[] = {IDC_PAGE_BASIC, IDC_PAGE_CUSTOM, IDC_PAGE_GPS, IDC_PAGE_GIMBAL,
                            IDC_PAGE_VOLTAGE};

class KeyboardTest : public MainWindowTest {
protected:
    // Focuses `start` in its active window, then presses `key` until the focus comes back to
    // `start` (or far more often than the window has controls). The controls it stopped at.
    static QList<QWidget*> Walk(QWidget* start, Qt::KeyboardModifiers modifiers = {}) {
        QWidget* window = start->window();
        QApplication::setActiveWindow(window);
        start->setFocus(Qt::TabFocusReason);
        QList<QWidget*> visited{QApplication::focusWidget()};
        const qsizetype limit = window->findChildren<QWidget*>().size();
        while (visited.size() <= limit) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, modifiers);
            QWidget* now = QApplication::focusWidget();
            if (now == start) break;
            visited << now;
        }
        return visited;
    }

    // What Tab must reach: every control of the window that is shown, enabled and takes the
    // focus by Tab itself (not through another widget).
    static QSet<QWidget*> Reachable(QWidget* window) {
        QSet<QWidget*> reachable;
        for (QWidget* widget : window->findChildren<QWidget*>()) {
            const bool tabs = (widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus;
            if (tabs && !widget->focusProxy() && widget->window() == window &&
                widget->isVisible() && widget->isEnabled())
                reachable << widget;
        }
        return reachable;
    }

    static QSet<QWidget*> AsSet(const QList<QWidget*>& list) { return {list.begin(), list.end()}; }
};

TEST_F(KeyboardTest, TabWalksPanelThenPageButtonsThenTheVisiblePageAndBackToTheTop) {
    CVexaDlg& dlg = Start();
    for (int page = 0; page < CVexaDlg::kPageCount; ++page) {
        SCOPED_TRACE(page);
        Click(kPageButtons[page]);
        ASSERT_EQ(dlg.CurrentPage(), page);
        QWidget* first = Control(IDC_PORT_HINT);
        const QList<QWidget*> walk = Walk(first);

        // Every control once, and nothing else, before the focus is back at the top.
        EXPECT_EQ(walk.size(), AsSet(walk).size());
        EXPECT_EQ(AsSet(walk), Reachable(&dlg));

        // Upper panel, then the five page buttons in their order, then the page.
        QWidget* visiblePage = dlg.PageWidgets()[page];
        const qsizetype firstButton = walk.indexOf(Control(kPageButtons[0]));
        ASSERT_GT(firstButton, 0);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(walk.indexOf(Control(kPageButtons[i])), firstButton + i);
        for (qsizetype i = 0; i < walk.size(); ++i) {
            const bool onPage = visiblePage->isAncestorOf(walk[i]);
            EXPECT_EQ(onPage, i > firstButton + 4) << i;
        }

        // Shift+Tab walks the same circle the other way.
        QList<QWidget*> back = Walk(first, Qt::ShiftModifier);
        std::reverse(back.begin() + 1, back.end());
        EXPECT_EQ(back, walk);
    }
}

// Within a page, controls are taken row by row as they are read.
TEST_F(KeyboardTest, PageControlsComeInReadingOrder) {
    Start();
    struct Row {
        int page;
        std::vector<int> ids;  // consecutive stops of Tab, left to right
    };
    const Row rows[] = {
        // Name button, slider, box; then the same row's right-hand parameter.
        {0,
         {IDC_BASIC_LABEL_MAIN_STAB, IDC_BASIC_SLIDER_MAIN_STAB, IDC_BASIC_EDIT_MAIN_STAB,
          IDC_BASIC_LABEL_YAW_STAB, IDC_BASIC_SLIDER_YAW_STAB, IDC_BASIC_EDIT_YAW_STAB,
          IDC_BASIC_LABEL_AUX_STAB}},
        // A grid row, low to high for channels 5 to 8, then the next row.
        {1,
         {IDC_SWITCH_GRID[0][0], IDC_SWITCH_GRID[0][1], IDC_SWITCH_GRID[0][2],
          IDC_SWITCH_GRID[0][3]}},
        {1, {IDC_SWITCH_GRID[0][11], IDC_SWITCH_GRID[1][0]}},
        {1, {IDC_SWITCH_GRID[8][11], IDC_SWITCH_GRID[9][0], IDC_SWITCH_GRID[9][1]}},
        // The cells and their button together, then the alarm beside them.
        {4,
         {IDC_VOLT_CELL1, IDC_VOLT_CELL2, IDC_VOLT_CELL3, IDC_VOLT_CELL4, IDC_VOLT_CALIBRATE,
          IDC_VOLT_ALARM_SLIDER, IDC_VOLT_ALARM_EDIT}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.page);
        Click(kPageButtons[row.page]);
        QWidget* page = m_dlg->PageWidgets()[row.page];
        const QList<QWidget*> walk = Walk(Control(IDC_PORT_HINT));
        const qsizetype start = walk.indexOf(FindControl(page, row.ids.front()));
        ASSERT_GE(start, 0);
        for (std::size_t i = 0; i < row.ids.size(); ++i)
            EXPECT_EQ(walk.value(start + qsizetype(i)), FindControl(page, row.ids[i]))
                << row.ids[i];
    }
}

TEST_F(KeyboardTest, FrameEditorTabsThroughItsControlsMotorByMotor) {
    CVexaDlg& dlg = Start();
    CFrameDlg& editor = *dlg.m_pFrameDlg;
    editor.show();
    auto control = [&](int id) { return FindControl(&editor, id); };
    const QList<QWidget*> walk = Walk(control(IDC_FRAME_AXIS_COUNT));
    EXPECT_EQ(walk.size(), AsSet(walk).size());
    EXPECT_EQ(AsSet(walk), Reachable(&editor));
    for (int motor = 0; motor + 1 < 6; ++motor) {
        if (!control(IDC_FRAME_MOTOR_X[motor + 1])->isVisible()) break;
        EXPECT_LT(walk.indexOf(control(IDC_FRAME_MOTOR_X[motor])),
                  walk.indexOf(control(IDC_FRAME_MOTOR_X[motor + 1])));
        EXPECT_EQ(walk.indexOf(control(IDC_FRAME_MOTOR_Y[motor])),
                  walk.indexOf(control(IDC_FRAME_MOTOR_X[motor])) + 1);
    }
}

}  // namespace
