#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <span>

#include "IPageHost.h"

class CLivePlot;
class ClockTimer;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QSlider;
struct LiveFrame;
namespace Ui {
class CCustomPage;
}

// The custom function and monitor page (template 138): the function switch grid on the left,
// the live data display with the channel reverse boxes on the right.
//
// Each grid row is one switch-function parameter (a b c d e f = g h i): bit k of its value is
// the box of column k = 3 × (channel − 5) + position. A click sends the row's whole value; the
// heading-lock and care-free rows share no position, so a click in one also clears the same
// positions of the other and sends it 20 ms later. The reverse boxes send their whole mask
// (N for the receiver, O for the outputs) without changing the receive mode, so the live
// display goes on while they are sent.
class CCustomPage : public QWidget {
    Q_OBJECT

public:
    static constexpr int kRows = 10;
    static constexpr int kColumns = 12;

    CCustomPage(IPageHost& host, QWidget* parent = nullptr);
    ~CCustomPage() override;

    // A value the controller reported for a switch row or a reverse mask, shown in its boxes
    // (the parameter cache already holds it; the page watches these letters there). True when
    // this page shows the letter.
    bool ShowReadBack(char letter, int shown);
    // A parsed live data frame into the display fields and the indicators.
    void ShowLiveFrame(const LiveFrame& frame);

    // The live display switch back to "stopped" (no data is sent here).
    void StopDisplayState();
    // The page's inputs and the display button as the idle state has them.
    void RestoreIdleControls();
    bool DisplayStopped() const { return m_bDisplayStopped; }
    // The line was lost: the live values shown are the last received, and say so.
    void LineLost();
    // The port was opened again: no value of an earlier stream is shown.
    void ClearLiveValues();
    // How old the live values shown are.
    enum class LiveAge { None, Streaming, Stopped, NoData, LineLost };
    LiveAge Age() const { return m_age; }
    // Captions in English (true) or Chinese (false).
    void SetEnglish(bool english);
    // The recording of the display and its plot window.
    CLivePlot& LivePlot() { return *m_livePlot; }

private:
    void FindControls();
    void BindHandlers();

    void RestOnKeys(QCheckBox* box, std::function<void()> send, std::function<bool()> unchanged);
    int RowValue(int row) const;
    void SendRow(int row);
    void SendLinkedRow(int row, int partner);
    void SendReverse(char letter, const std::array<QCheckBox*, 8>& boxes);
    void SendShowingTheControllers(char letter, std::span<QCheckBox* const> boxes,
                                   const std::function<void()>& send);
    void ShowHint();

    void ToggleDisplay();
    void StartDisplay();
    void StopDisplay();
    void SetStreamingControls(bool streaming);
    // The caption of button 1118 for the display's state, in the given language.
    void ShowDisplayCaption(bool english);
    void ShowTooltips(bool english);
    void SetAge(LiveAge age);
    void ShowAge();

    IPageHost& m_host;
    std::unique_ptr<Ui::CCustomPage> m_ui;
    std::array<std::array<QCheckBox*, kColumns>, kRows> m_grid{};
    // Each mask's value as the controller holds it, as far as the page knows: read or sent.
    std::map<char, int> m_confirmed;
    std::array<QCheckBox*, 8> m_receiverReverse{};
    std::array<QCheckBox*, 8> m_outputReverse{};
    std::array<QLineEdit*, 8> m_receiverBoxes{};
    std::array<QLineEdit*, 8> m_outputBoxes{};
    std::array<QSlider*, 4> m_switchIndicators{};  // channels 5-8
    QSlider* m_failSafeIndicator = nullptr;
    QPushButton* m_displayButton = nullptr;
    bool m_bDisplayStopped = true;
    LiveAge m_age = LiveAge::None;
    bool m_bHasValues = false;                 // a live value is shown
    std::unique_ptr<ClockTimer> m_frameWatch;  // runs out when the stream sends nothing
    std::unique_ptr<CLivePlot> m_livePlot;
};
