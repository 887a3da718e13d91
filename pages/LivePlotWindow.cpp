#include "LivePlotWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>

#include "BiText.h"
#include "LiveCsv.h"
#include "LiveRecording.h"
#include "Prompter.h"
#include "TimeGraph.h"
#include "ValueBar.h"

namespace {

using std::chrono::milliseconds;

constexpr BiText kTitle{"实时曲线", "Live Plot"};
constexpr BiText kSave{"保存记录", "Save Recording"};
constexpr BiText kPause{"暂停", "Pause"};
constexpr BiText kResume{"继续", "Resume"};
constexpr BiText kSpanCaption{"时间范围", "Time span"};
constexpr BiText kSeconds{"秒", "s"};
constexpr BiText kNoData{"尚未收到实时数据", "No live data received yet"};
constexpr BiText kRecorded{"已记录 %1 秒, %2 帧", "Recorded %1 s, %2 frames"};
constexpr BiText kPausedRecording{"画面已暂停，记录继续：", "Display paused, recording goes on: "};
constexpr BiText kSavedTo{"已保存到 %1", "Saved to %1"};
constexpr BiText kRolledOver{"（只保留最近 30 分钟）", " (only the last 30 minutes are kept)"};
constexpr BiText kCannotSave{"无法保存记录 %1：%2", "Cannot save the recording to %1: %2"};
constexpr BiText kTickHint{"勾选左侧的通道以显示其曲线", "Tick a channel on the left to graph it"};

struct GraphText {
    BiText title;
    BiText unit;
};
// In the order of CLivePlotWindow::Graph.
constexpr GraphText kGraphTexts[] = {
    {{"振动值", "Vibration"}, {"", ""}},
    {{"超声波高度", "Ultrasonic height"}, {"毫米", "mm"}},
    {{"气压计高度", "Barometric height"}, {"分米", "dm"}},
    {{"磁角度", "Heading"}, {"度", "deg"}},
    {{"勾选的通道", "Ticked channels"}, {"µs", "µs"}},
};
// The sensor field each sensor graph shows, in the order of CLivePlotWindow::Graph.
constexpr RecordedFrame::SensorField kGraphField[] = {
    RecordedFrame::kVibration, RecordedFrame::kUltrasonicMm, RecordedFrame::kBaroDm,
    RecordedFrame::kHeadingDeg};

constexpr int kSpans[] = {10, 30, 120};
constexpr int kDefaultSpan = 1;
constexpr int kRefreshMs = 100;

// The size the window asks for where the screen has room; on a smaller screen (or at a larger
// scale factor) it takes what the screen has, kept free for the window system's frame.
constexpr QSize kPreferredSize{900, 620};
constexpr QSize kFrameAllowance{16, 48};

const QColor kSensorColour(0x2f, 0x7f, 0xd0);
// Eight colours, one per receiver channel (the outputs take the same eight with a dashed
// line): each at least 3:1 against the white of the graph, and every two of them apart for
// the common kinds of colour blindness as well (the first four and black from Okabe and Ito's
// set; indigo, grey and dark slate instead of its orange, sky blue and yellow, which are faint
// on white).
constexpr QRgb kChannelColours[8] = {0x0072b2, 0xd55e00, 0x009e73, 0xcc79a7,
                                     0x332288, 0x666666, 0x000000, 0x2f4f4f};
constexpr double kHeadingPeriod = 360;

QColor BarColour(int index) { return QColor::fromRgb(kChannelColours[index % 8]); }
Qt::PenStyle BarLineStyle(int index) { return index < 8 ? Qt::SolidLine : Qt::DashLine; }

QString BarName(int index) {
    return index < 8 ? QStringLiteral("CH%1").arg(index + 1)
                     : QStringLiteral("M/S%1").arg(index - 7);
}

double Seconds(milliseconds at) { return double(at.count()) / 1000.0; }

}  // namespace

CLivePlotWindow::CLivePlotWindow(const LiveRecording& recording, Prompter& prompter, bool english,
                                 QWidget* parent)
    : QWidget(parent, Qt::Window), m_recording(recording), m_prompter(prompter) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildControls());
    for (QLabel** label : {&m_status, &m_savedTo}) {
        *label = new QLabel(this);
        // Long texts wrap or are shortened; they never widen the window.
        (*label)->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        layout->addWidget(*label);
    }
    m_status->setWordWrap(true);
    m_savedTo->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_savedTo->hide();
    // The bars and graphs grow with the window and scroll once they are at their smallest.
    auto* body = new QWidget;
    auto* columns = new QHBoxLayout(body);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->addWidget(BuildBars(), 0);
    columns->addWidget(BuildGraphs(), 1);
    auto* area = new QScrollArea(this);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setWidget(body);
    layout->addWidget(area, 1);
    resize(kPreferredSize);

    m_refresh.setInterval(kRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, &CLivePlotWindow::RefreshIfNew);
    SetEnglish(english);
    Refresh();
}

CLivePlotWindow::~CLivePlotWindow() = default;

QWidget* CLivePlotWindow::BuildControls() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    m_spanLabel = new QLabel(row);
    m_span = new QComboBox(row);
    for (std::size_t i = 0; i < std::size(kSpans); ++i) m_span->addItem(QString());
    m_span->setCurrentIndex(kDefaultSpan);
    m_pause = new QPushButton(row);
    m_save = new QPushButton(row);
    for (QPushButton* button : {m_pause, m_save}) button->setAutoDefault(false);
    layout->addWidget(m_spanLabel);
    layout->addWidget(m_span);
    layout->addWidget(m_pause);
    layout->addWidget(m_save);
    layout->addStretch(1);
    connect(m_span, &QComboBox::currentIndexChanged, this, [this] {
        m_nShownAdded = ~quint64(0);
        Refresh();
    });
    connect(m_pause, &QPushButton::clicked, this, &CLivePlotWindow::TogglePause);
    connect(m_save, &QPushButton::clicked, this, [this] { SaveRecording(); });
    return row;
}

QWidget* CLivePlotWindow::BuildBars() {
    auto* panel = new QWidget;
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(2);
    for (int i = 0; i < kBars; ++i) {
        // The outputs stand a little apart from the receiver channels.
        const int row = i < 8 ? i : i + 1;
        m_ticks[std::size_t(i)] = new QCheckBox(BarName(i), panel);
        m_bars[std::size_t(i)] = new ValueBar(panel);
        grid->addWidget(m_ticks[std::size_t(i)], row, 0);
        grid->addWidget(m_bars[std::size_t(i)], row, 1);
        connect(m_ticks[std::size_t(i)], &QCheckBox::toggled, this, [this] {
            m_nShownAdded = ~quint64(0);
            Refresh();
        });
    }
    grid->setRowMinimumHeight(8, 10);
    grid->setRowStretch(kBars + 1, 1);
    return panel;
}

QWidget* CLivePlotWindow::BuildGraphs() {
    auto* panel = new QWidget;
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    for (std::size_t i = 0; i < m_graphs.size(); ++i) {
        m_graphs[i] = new TimeGraph(panel);
        layout->addWidget(m_graphs[i], i == kChannels ? 2 : 1);
    }
    return panel;
}

void CLivePlotWindow::SetEnglish(bool english) {
    m_bEnglish = english;
    setWindowTitle(kTitle.In(english));
    m_spanLabel->setText(kSpanCaption.In(english));
    for (std::size_t i = 0; i < std::size(kSpans); ++i)
        m_span->setItemText(int(i),
                            QStringLiteral("%1 %2").arg(kSpans[i]).arg(kSeconds.In(english)));
    m_pause->setText((m_bPaused ? kResume : kPause).In(english));
    m_save->setText(kSave.In(english));
    for (std::size_t i = 0; i < m_graphs.size(); ++i)
        m_graphs[i]->SetTitle(kGraphTexts[i].title.In(english), kGraphTexts[i].unit.In(english));
    m_graphs[kChannels]->SetEmptyText(kTickHint.In(english));
    ShowStatus();
    ShowSavedPath();
}

void CLivePlotWindow::showEvent(QShowEvent* event) {
    // Placed before the window system shows it: on its first showing, and again whenever the
    // place it had does not fit the screen it opens on.
    if (!event->spontaneous()) FitScreen();
    QWidget::showEvent(event);
    m_refresh.start();
    RefreshIfNew();
}

// Over the middle of its owner (the main window), as large as it likes to be or as the screen
// allows, frame and all inside the screen's available area.
void CLivePlotWindow::FitScreen() {
    QScreen* shownOn = screen();
    if (!shownOn) return;
    const QRect available = shownOn->availableGeometry();
    const QRect frame(pos(), size() + kFrameAllowance);
    if (m_bPlaced && available.contains(frame)) return;
    m_bPlaced = true;
    resize(kPreferredSize.boundedTo(available.size() - kFrameAllowance));
    QRect placed(QPoint(), size() + kFrameAllowance);
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    placed.moveCenter(owner && owner->isVisible() ? owner->frameGeometry().center()
                                                  : available.center());
    placed.moveLeft(std::clamp(placed.left(), available.left(),
                               std::max(available.left(), available.right() + 1 - placed.width())));
    placed.moveTop(std::clamp(placed.top(), available.top(),
                              std::max(available.top(), available.bottom() + 1 - placed.height())));
    move(placed.topLeft());
}

void CLivePlotWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ShowSavedPath();
}

void CLivePlotWindow::hideEvent(QHideEvent* event) {
    m_refresh.stop();
    QWidget::hideEvent(event);
}

void CLivePlotWindow::RefreshIfNew() {
    if (m_recording.Added() != m_nShownAdded) Refresh();
}

void CLivePlotWindow::Refresh() {
    ShowStatus();
    if (m_bPaused) return;
    m_nShownAdded = m_recording.Added();
    ShowBars();
    ShowGraphs();
}

void CLivePlotWindow::ShowBars() {
    const qsizetype receiver = m_recording.LatestOf(LiveFrame::Kind::Receiver);
    const qsizetype outputs = m_recording.LatestOf(LiveFrame::Kind::Outputs);
    for (int channel = 1; channel <= 8; ++channel)
        m_bars[std::size_t(channel - 1)]->SetValue(
            receiver < 0 ? std::nullopt
                         : std::optional<int>(m_recording.At(receiver).Channel(channel)));
    for (std::size_t output = 0; output < 8; ++output)
        m_bars[8 + output]->SetValue(
            outputs < 0 ? std::nullopt
                        : std::optional<int>(m_recording.At(outputs).values[output]));
}

double CLivePlotWindow::SpanSeconds() const { return kSpans[std::size_t(m_span->currentIndex())]; }

// The lines of the last span: each sensor graph one line, the channel graph one line per
// ticked bar. Until a whole span has been recorded the graphs run from the start.
void CLivePlotWindow::ShowGraphs() {
    const double span = SpanSeconds();
    const double latest =
        m_recording.IsEmpty() ? 0 : Seconds(m_recording.At(m_recording.Size() - 1).At());
    const double end = std::max(latest, span);
    std::array<GraphSeries, kChannels> sensors;
    for (GraphSeries& line : sensors) line.colour = kSensorColour;
    std::vector<GraphSeries> channels;
    std::vector<int> tickedBars;
    sensors[kHeading].wrapPeriod = kHeadingPeriod;
    for (int i = 0; i < kBars; ++i)
        if (m_ticks[std::size_t(i)]->isChecked()) {
            channels.push_back({BarName(i), BarColour(i), {}, BarLineStyle(i)});
            tickedBars.push_back(i);
        }

    const auto from = milliseconds(qint64((end - span) * 1000));
    for (qsizetype i = m_recording.FirstAtOrAfter(from); i < m_recording.Size(); ++i) {
        const RecordedFrame& frame = m_recording.At(i);
        const double t = Seconds(frame.At());
        if (frame.kind == LiveFrame::Kind::Sensors) {
            for (std::size_t g = 0; g < sensors.size(); ++g)
                sensors[g].points.emplace_back(t, frame.values[std::size_t(kGraphField[g])]);
            continue;
        }
        const bool receiver = frame.kind == LiveFrame::Kind::Receiver;
        for (std::size_t k = 0; k < tickedBars.size(); ++k) {
            const int bar = tickedBars[k];
            if (receiver && bar < 8)
                channels[k].points.emplace_back(t, frame.Channel(bar + 1));
            else if (!receiver && bar >= 8)
                channels[k].points.emplace_back(t, frame.values[std::size_t(bar - 8)]);
        }
    }
    for (std::size_t g = 0; g < sensors.size(); ++g)
        m_graphs[g]->SetData(span, end, {std::move(sensors[g])});
    m_graphs[kChannels]->SetData(span, end, std::move(channels));
}

// The recording's length and frames, also while the picture is paused; a recording with
// frames can always be saved.
void CLivePlotWindow::ShowStatus() {
    m_save->setEnabled(!m_recording.IsEmpty());
    if (m_recording.IsEmpty()) {
        m_status->setText(kNoData.In(m_bEnglish));
        return;
    }
    const milliseconds length =
        m_recording.At(m_recording.Size() - 1).At() - m_recording.At(0).At();
    QString text = kRecorded.In(m_bEnglish)
                       .arg(QString::number(Seconds(length), 'f', 1))
                       .arg(m_recording.Size());
    if (m_recording.RolledOver()) text += kRolledOver.In(m_bEnglish);
    if (m_bPaused) text.prepend(kPausedRecording.In(m_bEnglish));
    if (!m_strAgeNote.isEmpty()) text.prepend(m_strAgeNote + QStringLiteral(" · "));
    m_status->setText(text);
}

void CLivePlotWindow::TogglePause() {
    m_bPaused = !m_bPaused;
    m_pause->setText((m_bPaused ? kResume : kPause).In(m_bEnglish));
    Refresh();
}

// The whole path where it fits, else shortened in the middle; the whole path as its tooltip.
void CLivePlotWindow::ShowSavedPath() {
    m_savedTo->setVisible(!m_strSavedPath.isEmpty());
    if (m_strSavedPath.isEmpty()) return;
    const QString text = kSavedTo.In(m_bEnglish).arg(m_strSavedPath);
    const int room = std::max(m_savedTo->contentsRect().width(), width() / 2);
    m_savedTo->setText(m_savedTo->fontMetrics().elidedText(text, Qt::ElideMiddle, room));
    m_savedTo->setToolTip(text);
}

bool CLivePlotWindow::RecordingSaved() const { return m_nSavedAdded == m_recording.Added(); }

void CLivePlotWindow::SetAgeNote(const QString& note) {
    m_strAgeNote = note;
    ShowStatus();
}

void CLivePlotWindow::RecordingRestarted() {
    m_strSavedPath.clear();
    m_nSavedAdded = m_recording.Added();
    ShowSavedPath();
    Refresh();
}

bool CLivePlotWindow::SaveRecording() {
    const QString name =
        QStringLiteral("LiveData-%1.csv")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    FileRequest request;
    request.filter = QStringLiteral("CSV (*.csv)|*.csv|All (*.*)|*.*||");
    request.defaultExtension = QStringLiteral("csv");
    request.defaultName = name;
    const std::optional<QString> path = m_prompter.SaveFile(request);
    if (!path) return false;
    QString error;
    if (live_csv::Save(m_recording, *path, &error)) {
        m_strSavedPath = QDir::toNativeSeparators(*path);
        m_nSavedAdded = m_recording.Added();
        ShowSavedPath();
        return true;
    }
    m_prompter.Message({texts::kMessageCaption.In(m_bEnglish),
                        kCannotSave.In(m_bEnglish).arg(*path, error), PromptButtons::Ok,
                        PromptIcon::Stop, PromptAnswer::Ok});
    return false;
}
