#pragma once

#include <QTimer>
#include <QWidget>
#include <array>

class LiveRecording;
class Prompter;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class TimeGraph;
class ValueBar;

// The live plot ("实时曲线" / "Live Plot"): bars for the receiver channels CH1-CH8 and the
// outputs M/S1-M/S8, time graphs of vibration, ultrasonic and barometric height, heading and
// of the channels ticked beside the bars, and the recording's state. It draws what the
// recording holds, at most ten times a second while shown and not paused; the recording's
// length goes on counting while paused. "保存记录" writes the recording as CSV whenever it holds
// frames and names the file written. It keeps the last picture when the stream stops.
// The window fits the screen it opens on: the bars and graphs shrink to their smallest and
// then scroll.
class CLivePlotWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int kBars = 16;  // CH1-CH8, then M/S1-M/S8
    enum Graph { kVibration, kUltrasonic, kBarometric, kHeading, kChannels, kGraphs };

    CLivePlotWindow(const LiveRecording& recording, Prompter& prompter, bool english,
                    QWidget* parent = nullptr);
    ~CLivePlotWindow() override;

    void SetEnglish(bool english);
    // Draws what the recording holds now; nothing while paused.
    void Refresh();
    // Asks for a file and writes the recording there; true once it was written.
    bool SaveRecording();
    // Whether everything recorded so far went into the last file saved.
    bool RecordingSaved() const;
    // A new recording has started: the file the last one went to is not named for it.
    void RecordingRestarted();
    // Said before the recording's state: how old the picture is (stopped, line lost).
    void SetAgeNote(const QString& note);

    ValueBar* Bar(int index) const { return m_bars[std::size_t(index)]; }
    QCheckBox* BarTick(int index) const { return m_ticks[std::size_t(index)]; }
    TimeGraph* GraphOf(Graph graph) const { return m_graphs[std::size_t(graph)]; }
    QComboBox* SpanChoice() const { return m_span; }
    QPushButton* PauseButton() const { return m_pause; }
    QPushButton* SaveButton() const { return m_save; }
    QLabel* Status() const { return m_status; }
    // The file the last save wrote, as the window names it; empty before.
    QLabel* SavedTo() const { return m_savedTo; }
    bool Paused() const { return m_bPaused; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* BuildBars();
    QWidget* BuildGraphs();
    QWidget* BuildControls();

    void TogglePause();
    void FitScreen();
    void ShowSavedPath();
    void RefreshIfNew();
    void ShowBars();
    void ShowGraphs();
    void ShowStatus();
    double SpanSeconds() const;

    const LiveRecording& m_recording;
    Prompter& m_prompter;
    bool m_bEnglish = false;
    bool m_bPaused = false;
    bool m_bPlaced = false;
    quint64 m_nShownAdded = ~quint64(0);

    std::array<ValueBar*, kBars> m_bars{};
    std::array<QCheckBox*, kBars> m_ticks{};
    std::array<TimeGraph*, kGraphs> m_graphs{};
    QComboBox* m_span = nullptr;
    QPushButton* m_pause = nullptr;
    QPushButton* m_save = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_spanLabel = nullptr;
    QLabel* m_savedTo = nullptr;
    QString m_strSavedPath;
    QString m_strAgeNote;
    quint64 m_nSavedAdded = 0;  // the recording's count of frames added when it was saved
    QTimer m_refresh;
};
