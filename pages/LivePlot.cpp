#include "LivePlot.h"

#include <QPushButton>

#include "BiText.h"
#include "IClock.h"
#include "IPageHost.h"
#include "LivePlotWindow.h"

namespace {

constexpr BiText kButtonCaption{"实时曲线", "Live Plot"};

}  // namespace

CLivePlot::CLivePlot(IPageHost& host, QWidget& page, QPushButton& button)
    : m_host(host), m_page(page), m_button(button), m_recording(host.Clock()) {
    connect(&m_button, &QPushButton::clicked, this, &CLivePlot::Open);
}

// The window draws from the recording: it goes first (unless its owner already took it).
CLivePlot::~CLivePlot() { delete m_window.data(); }

CLivePlotWindow* CLivePlot::Window() const { return m_window.data(); }

void CLivePlot::DisplayStarted() { m_recording.Start(); }

void CLivePlot::Record(const LiveFrame& frame) { m_recording.Add(frame); }

void CLivePlot::Open() {
    if (!m_window)
        m_window =
            new CLivePlotWindow(m_recording, m_host.GetPrompter(), m_host.IsEnglish(),
                                m_page.window());
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void CLivePlot::SetEnglish(bool english) {
    m_button.setText(kButtonCaption.In(english));
    if (m_window) m_window->SetEnglish(english);
}
