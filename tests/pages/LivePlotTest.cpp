// The live plot window on the custom page: fed by the display's frames as the dispatcher
// delivers them, drawn as bars and graphs, saved as CSV through the prompter.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>
#include <functional>
#include <optional>

#include "CustomPage.h"
#include "LineReader.h"
#include "LiveCsv.h"
#include "LivePlot.h"
#include "LivePlotWindow.h"
#include "PageFixture.h"
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
    void Receive(const QByteArray& bytes) { m_line->Inject(bytes); }
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

// A new display with a recording not saved since its last frame asks first: save, drop or
// do not start. The "saved to" line goes with the recording it names.
TEST_F(LivePlotTest, ARestartWithAnUnsavedRecordingAsksToSaveDropOrCancel) {
    struct Restart {
        const char* name;
        bool savedBefore;                    // the recording was saved after its last frame
        std::optional<PromptAnswer> answer;  // the question's answer; nothing: no question
        std::optional<bool> fileChosen;      // Yes: a file is chosen (true) or the dialog cancelled
        bool starts;                         // the display starts (and the recording afresh)
        int csvFrames;                       // frames in the file written by the question, or -1
    };
    const Restart rows[] = {
        {"saved", true, std::nullopt, std::nullopt, true, -1},
        {"unsaved, save", false, PromptAnswer::Yes, true, true, 2},
        {"unsaved, save dialog cancelled", false, PromptAnswer::Yes, false, false, -1},
        {"unsaved, drop", false, PromptAnswer::No, std::nullopt, true, -1},
        {"unsaved, cancel", false, PromptAnswer::Cancel, std::nullopt, false, -1},
    };
    for (const Restart& row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        SetUp();
        CLivePlotWindow* plot = OpenPlot();
        ToggleDisplay();
        Receive(kChannels);
        m_clock.Advance(2s);
        Receive(kSensors);
        ToggleDisplay();  // stopped
        const QString earlier = m_dir.filePath(QStringLiteral("earlier.csv"));
        if (row.savedBefore) {
            m_prompter.QueueFile(earlier);
            plot->SaveButton()->click();
            ASSERT_TRUE(plot->SavedTo()->isVisibleTo(plot));
        }
        m_prompter.Clear();
        const QString asked = m_dir.filePath(QStringLiteral("asked.csv"));
        if (row.answer) m_prompter.QueueAnswer(*row.answer);
        if (row.fileChosen)
            m_prompter.QueueFile(*row.fileChosen ? std::optional(asked) : std::nullopt);
        m_line->ClearSent();

        ToggleDisplay();

        ASSERT_EQ(m_prompter.Shown().size(), row.answer ? 1u : 0u);
        if (row.answer) {
            EXPECT_EQ(m_prompter.Shown()[0].buttons, PromptButtons::YesNoCancel);
            EXPECT_TRUE(m_prompter.Shown()[0].text.contains(QStringLiteral("2.0 秒，2 帧")))
                << m_prompter.Shown()[0].text.toStdString();
        }
        EXPECT_EQ(m_line->SentBytes() == "S~0001\r", row.starts) << m_line->SentBytes().constData();
        EXPECT_EQ(m_page->DisplayStopped(), !row.starts);
        EXPECT_EQ(m_page->LivePlot().Recording().IsEmpty(), row.starts);
        if (row.csvFrames >= 0) {
            EXPECT_EQ(ReadFile(asked).count('\n'), row.csvFrames + 1);  // the header too
        }
        // The line that names a file belongs to the recording written there.
        EXPECT_EQ(plot->SavedTo()->isVisibleTo(plot), !row.starts && row.savedBefore);
    }
}

// The values shown say how old they are: while the stream runs nothing is said; stopped, with
// no frame coming or after a line loss the page and the plot say so; after the port is opened
// again no value of the earlier stream is shown.
TEST_F(LivePlotTest, LiveValuesSayWhenTheyAreNoLongerLive) {
    struct Age {
        const char* name;
        std::function<void()> act;
        const char* note;  // what the page says under the display button
        bool valuesShown;  // CH1's box holds the last value
    };
    const Age rows[] = {
        {"streaming", [] {}, "", true},
        {"stopped", [this] { ToggleDisplay(); }, "显示已停止：以上是最后收到的数值", true},
        {"no frame coming", [this] { m_clock.Advance(2s); }, "未收到数据：以上是最后收到的数值",
         true},
        {"line lost",
         [this] {
             m_line->HangUp();
             QCoreApplication::processEvents();
         },
         "连接已断开：以上是最后收到的数值", true},
        {"port opened again",
         [this] {
             QTest::mouseClick(m_dlg->findChild<QWidget*>(QStringLiteral("btnRefresh")),
                               Qt::LeftButton);
         },
         "", false},
    };
    for (const Age& row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        SetUp();
        CLivePlotWindow* plot = OpenPlot();
        ToggleDisplay();
        Receive(kChannels);
        row.act();
        plot->Refresh();
        auto* note = m_page->findChild<QLabel*>(QStringLiteral("lblLiveState"));
        ASSERT_NE(note, nullptr);
        EXPECT_EQ(note->text(), QString::fromUtf8(row.note));
        EXPECT_EQ(plot->Status()->text().startsWith(QString::fromUtf8(row.note)), true)
            << plot->Status()->text().toStdString();
        EXPECT_EQ(Control<QLineEdit>(IDC_RECEIVER_CH1)->text(),
                  row.valuesShown ? QStringLiteral("1000") : QString());
    }
}

// Every ticked line is named in the legend, however many; the channel colours stand out from
// the white of the graph (contrast ratio at least 3:1), the outputs drawn in the same eight.
TEST_F(LivePlotTest, TheLegendNamesEveryTickedLineInColoursThatStandOut) {
    CLivePlotWindow* plot = OpenPlot();
    plot->resize(900, 620);
    ToggleDisplay();
    Receive(kChannels + kOutputs);
    for (int i = 0; i < CLivePlotWindow::kBars; ++i) plot->BarTick(i)->setChecked(true);
    plot->Refresh();
    QCoreApplication::processEvents();
    TimeGraph* graph = plot->GraphOf(CLivePlotWindow::kChannels);
    const std::vector<TimeGraph::LegendEntry> legend = graph->Legend();
    ASSERT_EQ(legend.size(), std::size_t(CLivePlotWindow::kBars));
    for (std::size_t i = 0; i < legend.size(); ++i) {
        EXPECT_EQ(legend[i].series, i);
        EXPECT_TRUE(graph->rect().contains(legend[i].box)) << i;
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_FALSE(legend[i].box.intersects(legend[j].box)) << i << " overlaps " << j;
    }

    // Relative luminance and contrast as the web's accessibility guidelines define them.
    const auto luminance = [](const QColor& colour) {
        const auto linear = [](double c) {
            return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
               0.0722 * linear(colour.blueF());
    };
    const QColor white = graph->palette().color(QPalette::Base);
    ASSERT_EQ(white, QColor(Qt::white));
    std::vector<QColor> colours;
    for (int i = 0; i < 8; ++i) colours.push_back(graph->Series()[std::size_t(i)].colour);
    for (int i = 0; i < 8; ++i) {
        const double contrast = (luminance(white) + 0.05) / (luminance(colours[i]) + 0.05);
        EXPECT_GE(contrast, 3.0) << "CH" << i + 1 << " " << colours[i].name().toStdString();
        EXPECT_EQ(graph->Series()[std::size_t(8 + i)].colour, colours[i]) << "M/S" << i + 1;
    }
}

}  // namespace
