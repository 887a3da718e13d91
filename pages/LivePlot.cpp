#include "LivePlot.h"

#include <QPushButton>

#include "BiText.h"
#include "IClock.h"
#include "IPageHost.h"
#include "LivePlotWindow.h"
#include "Prompter.h"

namespace {

constexpr BiText kButtonCaption{"实时曲线", "Live Plot"};
// %1 the recording's seconds, %2 its frames.
constexpr BiText kUnsavedQuestion{
    "记录（%1 秒，%2 帧）尚未保存，开始新的显示将丢弃它。\r\r"
    "是：先保存记录\r否：丢弃记录\r取消：不开始显示",
    "The recording (%1 s, %2 frames) has not been saved; a new display drops it.\r\r"
    "Yes: save it first\rNo: drop it\rCancel: do not start the display"};

}  // namespace

CLivePlot::CLivePlot(IPageHost& host, QWidget& page, QPushButton& button)
    : m_host(host), m_page(page), m_button(button), m_recording(host.Clock()) {
    connect(&m_button, &QPushButton::clicked, this, &CLivePlot::Open);
}

// The window draws from the recording: it goes first (unless its owner already took it).
CLivePlot::~CLivePlot() { delete m_window.data(); }

CLivePlotWindow* CLivePlot::Window() const { return m_window.data(); }

bool CLivePlot::MayStartAfresh() {
    if (m_recording.IsEmpty() || (m_window && m_window->RecordingSaved())) return true;
    const bool english = m_host.IsEnglish();
    const auto length = m_recording.At(m_recording.Size() - 1).At() - m_recording.At(0).At();
    const QString text = kUnsavedQuestion.In(english)
                             .arg(QString::number(double(length.count()) / 1000.0, 'f', 1))
                             .arg(m_recording.Size());
    switch (m_host.GetPrompter().Message({texts::kMessageCaption.In(english), text,
                                          PromptButtons::YesNoCancel, PromptIcon::Question,
                                          PromptAnswer::Yes})) {
        case PromptAnswer::Yes:
            MakeWindow();
            return m_window->SaveRecording();  // a save cancelled or failed starts nothing
        case PromptAnswer::No:
            return true;
        default:
            return false;
    }
}

void CLivePlot::DisplayStarted() {
    m_recording.Start();
    if (m_window) m_window->RecordingRestarted();
}

void CLivePlot::MakeWindow() {
    if (m_window) return;
    m_window =
        new CLivePlotWindow(m_recording, m_host.GetPrompter(), m_host.IsEnglish(), m_page.window());
    m_window->SetAgeNote(m_strAgeNote);
}

void CLivePlot::SetAgeNote(const QString& note) {
    m_strAgeNote = note;
    if (m_window) m_window->SetAgeNote(note);
}

void CLivePlot::Record(const LiveFrame& frame) { m_recording.Add(frame); }

void CLivePlot::Open() {
    MakeWindow();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void CLivePlot::SetEnglish(bool english) {
    m_button.setText(kButtonCaption.In(english));
    if (m_window) m_window->SetEnglish(english);
}
