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

// Focuses `start`, then presses Tab until the focus is back there (or far more often than the
// window has widgets). The controls it stopped at.
QList<QWidget*> Walk(QWidget* start, Qt::KeyboardModifiers modifiers = {}) {
    QApplication::setActiveWindow(start->window());
    start->setFocus(Qt::TabFocusReason);
    QList<QWidget*> visited{start};
    const qsizetype limit = start->window()->findChildren<QWidget*>().size();
    while (visited.size() <= limit) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, modifiers);
        if (QApplication::focusWidget() == start) break;
        visited << QApplication::focusWidget();
    }
    return visited;
}

// Every control of the window that is shown, enabled and takes the focus by Tab itself.
QSet<QWidget*> Reachable(QWidget* window) {
    QSet<QWidget*> reachable;
    for (QWidget* w : window->findChildren<QWidget*>())
        if ((w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && !w->focusProxy() &&
            w->window() == window && w->isVisible() && w->isEnabled())
            reachable << w;
    return reachable;
}

void ExpectEachOnce(const QList<QWidget*>& walk, QWidget* window) {
    EXPECT_EQ(walk.size(), QSet<QWidget*>(walk.begin(), walk.end()).size());
    EXPECT_EQ(QSet<QWidget*>(walk.begin(), walk.end()), Reachable(window));
}

TEST_F(MainWindowTest, TabWalksPanelThenPageButtonsThenTheVisiblePageInReadingOrder) {
    // Runs of consecutive stops on a page, as they are read.
    struct Run {
        int page;
        std::vector<int> ids;
    };
    const Run runs[] = {
        {0,
         {IDC_BASIC_LABEL_MAIN_STAB, IDC_BASIC_SLIDER_MAIN_STAB, IDC_BASIC_EDIT_MAIN_STAB,
          IDC_BASIC_LABEL_YAW_STAB, IDC_BASIC_SLIDER_YAW_STAB, IDC_BASIC_EDIT_YAW_STAB,
          IDC_BASIC_LABEL_AUX_STAB}},
        // Along a grid row, low to high for channels 5 to 8, then on to the next row.
        {1,
         {IDC_SWITCH_GRID[0][0], IDC_SWITCH_GRID[0][1], IDC_SWITCH_GRID[0][2],
          IDC_SWITCH_GRID[0][3], IDC_SWITCH_GRID[0][4]}},
        {1, {IDC_SWITCH_GRID[8][11], IDC_SWITCH_GRID[9][0]}},
        // The cells and their button together, then the alarm beside them.
        {4,
         {IDC_VOLT_CELL1, IDC_VOLT_CELL2, IDC_VOLT_CELL3, IDC_VOLT_CELL4, IDC_VOLT_CALIBRATE,
          IDC_VOLT_ALARM_SLIDER, IDC_VOLT_ALARM_EDIT}},
    };
    CVexaDlg& dlg = Start();
    for (int page = 0; page < CVexaDlg::kPageCount; ++page) {
        SCOPED_TRACE(page);
        Click(kPageButtons[page]);
        QWidget* first = Control(IDC_PORT_HINT);
        const QList<QWidget*> walk = Walk(first);
        ExpectEachOnce(walk, &dlg);

        // Upper panel, the five page buttons in their order, then only the page.
        const qsizetype firstButton = walk.indexOf(Control(kPageButtons[0]));
        ASSERT_GT(firstButton, 0);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(walk.indexOf(Control(kPageButtons[i])), firstButton + i);
        for (qsizetype i = 0; i < walk.size(); ++i)
            EXPECT_EQ(dlg.PageWidgets()[page]->isAncestorOf(walk[i]), i > firstButton + 4) << i;
        const auto at = [&](int id) { return FindControl(dlg.PageWidgets()[page], id); };
        for (const Run& run : runs) {
            if (run.page != page) continue;
            const qsizetype start = walk.indexOf(at(run.ids.front()));
            for (std::size_t i = 0; i < run.ids.size(); ++i)
                EXPECT_EQ(walk.value(start + qsizetype(i)), at(run.ids[i])) << run.ids[i];
        }

        // Shift+Tab walks the same circle the other way.
        QList<QWidget*> back = Walk(first, Qt::ShiftModifier);
        std::reverse(back.begin() + 1, back.end());
        EXPECT_EQ(back, walk);
    }
}

TEST_F(MainWindowTest, FrameEditorTabsThroughItsControlsMotorByMotor) {
    CFrameDlg& editor = Start().FrameEditor();
    editor.show();
    const auto at = [&](int id) { return FindControl(&editor, id); };
    const QList<QWidget*> walk = Walk(at(IDC_FRAME_AXIS_COUNT));
    ExpectEachOnce(walk, &editor);
    for (int motor = 0; motor + 1 < 6 && at(IDC_FRAME_MOTOR_X[motor + 1])->isVisible(); ++motor) {
        const qsizetype x = walk.indexOf(at(IDC_FRAME_MOTOR_X[motor]));
        EXPECT_EQ(walk.indexOf(at(IDC_FRAME_MOTOR_Y[motor])), x + 1);
        EXPECT_LT(x, walk.indexOf(at(IDC_FRAME_MOTOR_X[motor + 1])));
    }
}

}  // namespace
