// The main window on a virtual X server of a given size and scale factor (see CMakeLists.txt):
// it stays on the screen, every control can be scrolled into view, and a screenshot of the
// screen is kept for a look.
#include <QCursor>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>

#include "CustomPage.h"
#include "LivePlot.h"
#include "LivePlotWindow.h"
#include "MainWindowFixture.h"
#include "ResourceIds.h"
#include "TimeGraph.h"

namespace {

const int kPageButtons[] = {IDC_PAGE_BASIC, IDC_PAGE_CUSTOM, IDC_PAGE_GPS, IDC_PAGE_GIMBAL,
                            IDC_PAGE_VOLTAGE};

class ScreenFitScreenTest : public MainWindowTest {
protected:
    CVexaDlg& Show() {
        CVexaDlg& dlg = Start();
        dlg.move(dlg.screen()->availableGeometry().topLeft());
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dlg));
        m_area = dlg.findChild<QScrollArea*>();
        EXPECT_NE(m_area, nullptr);
        return dlg;
    }

    // Scrolls to every shown control of every page and checks that it then lies inside the
    // window.
    void ExpectEveryControlReachable(CVexaDlg& dlg) {
        for (int page = 0; page < CVexaDlg::kPageCount; ++page) {
            m_area->ensureWidgetVisible(Control(kPageButtons[page]));
            Click(kPageButtons[page]);
            for (QWidget* control : dlg.findChildren<QWidget*>()) {
                const bool isControl = control->property("controlId").isValid() &&
                                       control->window() == &dlg && control->isVisible();
                // Group boxes and the page area are larger than the screen; their controls
                // are checked one by one.
                const QSize room = m_area->viewport()->size();
                const bool fits =
                    control->width() <= room.width() && control->height() <= room.height();
                if (!isControl || !fits || control->size().isEmpty()) continue;
                // Scrolled as far as it takes to have the whole control in view.
                const QPoint middle = control->mapTo(m_area->widget(), control->rect().center());
                m_area->ensureVisible(middle.x(), middle.y(), control->width() / 2 + 1,
                                      control->height() / 2 + 1);
                const QRect shown(control->mapTo(&dlg, QPoint(0, 0)), control->size());
                const QRect viewport(m_area->viewport()->mapTo(&dlg, QPoint(0, 0)),
                                     m_area->viewport()->size());
                EXPECT_TRUE(viewport.contains(shown))
                    << "page " << page << " control " << control->property("controlId").toInt()
                    << " " << control->objectName().toStdString();
            }
        }
    }

    void SaveScreenshot(const char* suffix) {
        const QByteArray base = qgetenv("VEXA_SCREENSHOT");
        if (base.isEmpty()) return;
        QCoreApplication::processEvents();
        const QString path =
            QString::fromLocal8Bit(base) + QLatin1String(suffix) + QStringLiteral(".png");
        EXPECT_TRUE(QGuiApplication::primaryScreen()->grabWindow(0).save(path))
            << path.toStdString();
    }

    QScrollArea* m_area = nullptr;
};

TEST_F(ScreenFitScreenTest, KeepsTodaysLayoutWhereTheScreenHoldsIt) {
    CVexaDlg& dlg = Show();
    SaveScreenshot("");
    EXPECT_EQ(dlg.size(), QSize(810, 684));
    EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize());
    EXPECT_FALSE(m_area->verticalScrollBar()->isVisible());
    EXPECT_FALSE(m_area->horizontalScrollBar()->isVisible());
    ExpectEveryControlReachable(dlg);
}

TEST_F(ScreenFitScreenTest, ScrollsToEveryControlWhereTheScreenIsSmaller) {
    CVexaDlg& dlg = Show();
    SaveScreenshot("-top");
    const QRect available = dlg.screen()->availableGeometry();
    EXPECT_TRUE(available.contains(dlg.frameGeometry()))
        << dlg.frameGeometry().width() << "x" << dlg.frameGeometry().height() << " on "
        << available.width() << "x" << available.height();
    EXPECT_TRUE(m_area->verticalScrollBar()->isVisible());
    ExpectEveryControlReachable(dlg);
    // The voltage page's last control and the upgrade button, cut off before.
    m_area->ensureWidgetVisible(Control(IDC_PAGE_VOLTAGE));
    SaveScreenshot("-scrolled");
    m_area->ensureWidgetVisible(Control(IDC_START_UPGRADE));
    EXPECT_TRUE(Control(IDC_START_UPGRADE)->visibleRegion().boundingRect().size() ==
                Control(IDC_START_UPGRADE)->size());
}

// The live plot opens with its frame inside the screen's available area, its graphs no smaller
// than they can be drawn and their numbers apart.
TEST_F(ScreenFitScreenTest, LivePlotOpensInsideTheScreen) {
    CVexaDlg& dlg = Show();
    Click(IDC_PAGE_CUSTOM);
    FindControlAs<QPushButton>(&dlg.CustomPage(), IDC_LIVE_PLOT)->click();
    CLivePlotWindow* plot = dlg.CustomPage().LivePlot().Window();
    ASSERT_NE(plot, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(plot));
    SaveScreenshot("-plot");
    EXPECT_TRUE(plot->screen()->availableGeometry().contains(plot->frameGeometry()));
    for (int g = 0; g < CLivePlotWindow::kGraphs; ++g) {
        TimeGraph* graph = plot->GraphOf(CLivePlotWindow::Graph(g));
        EXPECT_GE(graph->height(), graph->minimumSizeHint().height()) << g;
        const std::vector<TimeGraph::AxisLabel> labels = graph->AxisLabels();
        for (std::size_t a = 0; a < labels.size(); ++a)
            for (std::size_t b = a + 1; b < labels.size(); ++b)
                EXPECT_FALSE(labels[a].box.intersects(labels[b].box)) << g;
    }
}

// The X server's own pointer, moved onto a control and left there, shows the control's tooltip:
// on each page a parameter's name, slider and box, and the upper panel's lists and boxes.
TEST_F(ScreenFitScreenTest, TooltipsShowWhereThePointerRests) {
    struct Rest {
        int page;
        int control;
    };
    const Rest rests[] = {
        {0, IDC_BASIC_LABEL_MAIN_STAB},
        {0, IDC_BASIC_SLIDER_MAIN_STAB},
        {0, IDC_BASIC_EDIT_AUX_BAL},
        {2, IDC_GPS_LABEL_CENTRING},
        {2, IDC_GPS_SLIDER_WIND},
        {3, IDC_GIMBAL_EDIT_Z_MID},
        {4, IDC_VOLT_ALARM_SLIDER},
        {4, IDC_VOLT_CELL2},
        {0, IDC_FRAME_TYPE},
        {0, IDC_SENSOR_SONAR},
    };
    CVexaDlg& dlg = Show();
    dlg.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    for (const Rest& rest : rests) {
        SCOPED_TRACE(rest.control);
        m_area->ensureWidgetVisible(Control(kPageButtons[rest.page]));
        Click(kPageButtons[rest.page]);
        QWidget* control = FindControl(dlg.PageWidgets()[std::size_t(rest.page)], rest.control);
        if (!control || !control->isVisible()) control = Control(rest.control);
        ASSERT_NE(control, nullptr);
        m_area->ensureWidgetVisible(control);
        QTest::qWait(400);  // the tooltip of the last control has gone
        ASSERT_FALSE(control->toolTip().isEmpty());
        QCursor::setPos(control->mapToGlobal(control->rect().center()));
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return QToolTip::isVisible() && QToolTip::text() == control->toolTip(); }, 4000))
            << control->objectName().toStdString() << " shows "
            << (QToolTip::isVisible() ? QToolTip::text().toStdString() : "nothing");
    }
}

}  // namespace
