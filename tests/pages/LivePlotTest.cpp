// The live plot window on the custom page: fed by the display's frames as the dispatcher
// delivers them, drawn as bars and graphs, saved as CSV through the prompter.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "CustomPage.h"
#include "LiveCsv.h"
#include "LivePlot.h"
#include "LivePlotWindow.h"
#include "PageFixture.h"
#include "ReceiveDispatcher.h"
#include "ResourceIds.h"
#include "TimeGraph.h"
#include "ValueBar.h"

namespace {

using namespace std::chrono_literals;

QByteArray Frame(const char* tagAndFields) { return QByteArray(tagAndFields) + "\r\n"; }

// CH1 1000, CH2 1250, CH3 1500 and CH4 2000 (the wire carries CH4 first), CH5-CH8 1100-1400.
const QByteArray kChannels = Frame("CHDA10001250200015001100120013001400");
const QByteArray kOutputs = Frame("MSDA11501250135014501550165017501850");
const QByteArray kSensors = Frame("SSDA1234056735907+113123456+22123456");

class LivePlotTest : public PageTest<CCustomPage> {
protected:
    void Receive(const QByteArray& bytes) { m_dlg->Session().Receive(bytes); }
    void ToggleDisplay() { QTest::mouseClick(Control(IDC_DISPLAY_TOGGLE), Qt::LeftButton); }
    CLivePlotWindow* OpenPlot() {
        QTest::mouseClick(Control(IDC_LIVE_PLOT), Qt::LeftButton);
        return m_page->LivePlot().Window();
    }
    // The colour of the bar at `fraction` of its track's width, halfway down.
    static QColor BarPixel(ValueBar* bar, double fraction) {
        const QImage image = bar->grab().toImage();
        const QRect track = bar->Track();
        const int x = track.left() + int(fraction * track.width());
        return image.pixelColor(x * image.width() / bar->width(),
                                track.center().y() * image.height() / bar->height());
    }
    static QColor Track(ValueBar* bar) { return BarPixel(bar, 0.999); }
};

TEST_F(LivePlotTest, BarsShowTheLatestFramesInThePagesChannelOrder) {
    CLivePlotWindow* plot = OpenPlot();
    ASSERT_NE(plot, nullptr);
    EXPECT_TRUE(plot->isVisible());
    EXPECT_EQ(plot->windowTitle(), QStringLiteral("实时曲线"));
    EXPECT_EQ(OpenPlot(), plot) << "one window, shown again";

    ToggleDisplay();
    Receive(kChannels + kOutputs + kSensors);
    plot->Refresh();
    const int expected[] = {1000, 1250, 1500, 2000, 1100, 1200, 1300, 1400,
                            1150, 1250, 1350, 1450, 1550, 1650, 1750, 1850};
    for (int i = 0; i < CLivePlotWindow::kBars; ++i)
        EXPECT_EQ(plot->Bar(i)->Value(), expected[i]) << i;

    // Sampled pixels: CH3 at 1500 is filled to the middle, CH1 at 1000 is empty, CH4 at 2000 full.
    struct Sample {
        int bar;
        double at;
        bool filled;
    };
    const Sample samples[] = {{2, 0.05, true},  {2, 0.45, true},  {2, 0.55, false},
                              {2, 0.95, false}, {0, 0.05, false}, {3, 0.95, true}};
    for (const Sample& s : samples) {
        ValueBar* bar = plot->Bar(s.bar);
        EXPECT_EQ(BarPixel(bar, s.at) != Track(plot->Bar(0)), s.filled)
            << "bar " << s.bar << " at " << s.at;
    }

    // The display stops: the window keeps its last picture.
    ToggleDisplay();
    plot->Refresh();
    EXPECT_EQ(plot->Bar(2)->Value(), 1500);
    EXPECT_TRUE(plot->isVisible());
}

TEST_F(LivePlotTest, GraphsFollowTheSensorsAndTheTickedChannelsUntilPaused) {
    CLivePlotWindow* plot = OpenPlot();
    ToggleDisplay();
    for (int i = 0; i < 5; ++i) {
        Receive(kChannels + kSensors);
        m_clock.Advance(100ms);
    }
    Receive(Frame("SSDA1234050035907+113123456+22123456"));  // the barometer drops to 500 dm
    plot->BarTick(2)->setChecked(true);
    plot->Refresh();
    TimeGraph* baro = plot->GraphOf(CLivePlotWindow::kBarometric);
    EXPECT_LE(baro->AxisLow(), 500);
    EXPECT_GE(baro->AxisHigh(), 567);
    EXPECT_LT(baro->AxisHigh() - baro->AxisLow(), 200) << "scaled to the values, not from zero";
    TimeGraph* channels = plot->GraphOf(CLivePlotWindow::kChannels);
    EXPECT_LE(channels->AxisLow(), 1500);
    EXPECT_GE(channels->AxisHigh(), 1500);

    plot->PauseButton()->click();
    EXPECT_EQ(plot->PauseButton()->text(), QStringLiteral("继续"));
    Receive(Frame("CHDA20001250200015001100120013001400"));
    plot->Refresh();
    EXPECT_EQ(plot->Bar(0)->Value(), 1000) << "paused: the picture stays";
    plot->PauseButton()->click();
    EXPECT_EQ(plot->Bar(0)->Value(), 2000);
}

TEST_F(LivePlotTest, SaveWritesTheRecordingSinceTheDisplayStarted) {
    Receive(kChannels);  // no display yet: not recorded
    ToggleDisplay();
    Receive(kChannels);
    m_clock.Advance(250ms);
    Receive(kSensors);
    CLivePlotWindow* plot = OpenPlot();

    const QString path = m_dir.filePath(QStringLiteral("flight.csv"));
    m_prompter.QueueFile(path);
    plot->SaveButton()->click();
    ASSERT_EQ(m_prompter.FileRequests().size(), 1u);
    EXPECT_EQ(m_prompter.FileRequests()[0].defaultExtension, QStringLiteral("csv"));
    const QList<QByteArray> lines = ReadFile(path).split('\n');
    ASSERT_EQ(lines.size(), 4);  // header, two frames, the empty rest after the last line end
    EXPECT_EQ(lines[0], live_csv::Header());
    EXPECT_TRUE(lines[1].startsWith("0.000,CHDA,1000,1250,1500,2000,")) << lines[1].constData();
    EXPECT_TRUE(lines[2].startsWith("0.250,SSDA,")) << lines[2].constData();

    // A file that cannot be written is reported, nothing else happens.
    m_prompter.QueueFile(m_dir.filePath(QStringLiteral("missing/flight.csv")));
    plot->SaveButton()->click();
    ASSERT_EQ(m_prompter.Shown().size(), 1u);
    EXPECT_EQ(m_prompter.Shown()[0].icon, PromptIcon::Stop);
}

// The moment the recording matters most: the adapter was pulled, the pages are disabled, the
// display has stopped with the line.
TEST_F(LivePlotTest, SaveAfterALineLossWritesTheFrames) {
    CLivePlotWindow* plot = OpenPlot();
    ToggleDisplay();
    Receive(kChannels + kSensors);
    m_clock.Advance(200ms);
    Receive(kSensors);
    m_line->HangUp();
    QCoreApplication::processEvents();
    ASSERT_FALSE(m_page->isEnabled()) << "the pages are disabled after a line loss";
    plot->Refresh();

    const QString path = m_dir.filePath(QStringLiteral("lost.csv"));
    m_prompter.QueueFile(path);
    QTest::mouseClick(plot->SaveButton(), Qt::LeftButton);
    const QList<QByteArray> lines = ReadFile(path).split('\n');
    ASSERT_EQ(lines.size(), 5);  // header, three frames, the empty rest
    EXPECT_TRUE(lines[3].startsWith("0.200,SSDA,")) << lines[3].constData();
    EXPECT_TRUE(lines[3].endsWith(",1234,567,359,7,113.123456,22.123456")) << lines[3].constData();
}

// The rows of `image` that hold pixels of `colour`: a line across the graph's height takes
// many, a line along two levels a few.
int RowsWith(const QImage& image, const QColor& colour) {
    int rows = 0;
    for (int y = 0; y < image.height(); ++y) {
        int x = 0;
        while (x < image.width() && image.pixelColor(x, y) != colour) ++x;
        rows += x < image.width() ? 1 : 0;
    }
    return rows;
}

TEST_F(LivePlotTest, TheHeadingBreaksItsLineWhereItWrapsAt360) {
    CLivePlotWindow* plot = OpenPlot();
    plot->resize(900, 620);
    ToggleDisplay();
    // 355, 357, 359, 1, 3, 5 degrees: a turn through north, no swing across the graph.
    for (const char* heading : {"355", "357", "359", "001", "003", "005"}) {
        Receive(
            Frame((QByteArray("SSDA12340567") + heading + "07+113123456+22123456").constData()));
        m_clock.Advance(1s);
    }
    plot->Refresh();
    QCoreApplication::processEvents();
    TimeGraph* graph = plot->GraphOf(CLivePlotWindow::kHeading);
    const QColor line = graph->Series().at(0).colour;
    const int height = graph->height();
    ASSERT_GT(height, 60);
    const int rows = RowsWith(graph->grab().toImage(), line);
    EXPECT_GT(rows, 0) << "the line is drawn";
    EXPECT_LT(rows, height / 8) << "no swing across the graph";
}

TEST(TimeGraphAxis, StepsAreRoundAndTheAxisCoversTheValuesInWholeSteps) {
    struct Case {
        double range;
        int parts;
        double step;
    };
    const Case cases[] = {{10, 6, 2}, {30, 6, 5},         {120, 6, 20}, {0.5, 4, 0.2},
                          {7, 4, 2},  {567 - 500, 4, 20}, {0, 4, 1}};
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(NiceStep(c.range, c.parts), c.step) << c.range;

    TimeGraph graph;
    graph.SetData(30, 30, {{QString(), Qt::blue, {{1, 503}, {2, 567}}}});
    EXPECT_EQ(graph.AxisLow(), 500);
    EXPECT_EQ(graph.AxisHigh(), 580);
    graph.SetData(30, 30, {{QString(), Qt::blue, {{1, 7}, {2, 7}}}});  // flat: a step around it
    EXPECT_LT(graph.AxisLow(), 7);
    EXPECT_GT(graph.AxisHigh(), 7);
}

TEST_F(LivePlotTest, TheButtonAndTheWindowFollowTheLanguage) {
    CLivePlotWindow* plot = OpenPlot();
    m_page->SetEnglish(true);
    EXPECT_EQ(Control<QPushButton>(IDC_LIVE_PLOT)->text(), QStringLiteral("Live Plot"));
    EXPECT_EQ(plot->windowTitle(), QStringLiteral("Live Plot"));
    EXPECT_EQ(plot->SaveButton()->text(), QStringLiteral("Save Recording"));
    EXPECT_EQ(plot->SpanChoice()->currentText(), QStringLiteral("30 s"));
    m_page->SetEnglish(false);
    EXPECT_EQ(Control<QPushButton>(IDC_LIVE_PLOT)->text(), QStringLiteral("实时曲线"));
    EXPECT_EQ(plot->SaveButton()->text(), QStringLiteral("保存记录"));
}

}  // namespace
