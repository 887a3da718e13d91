#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

#include "LiveRecording.h"

class CLivePlotWindow;
class IPageHost;
class QPushButton;
class QWidget;

// The custom page's live plot: the recording of the display's frames, kept from the moment
// the display starts, and the one plot window that draws it, made when its button is first
// pressed and shown again (raised) on every later press. The window stays open when the
// display stops and keeps its last picture.
class CLivePlot : public QObject {
    Q_OBJECT

public:
    // `button` opens the window; `page` is the window's owner.
    CLivePlot(IPageHost& host, QWidget& page, QPushButton& button);
    ~CLivePlot() override;

    void DisplayStarted();
    void Record(const LiveFrame& frame);
    void Open();
    void SetEnglish(bool english);

    const LiveRecording& Recording() const { return m_recording; }
    // Null until the window has first been opened.
    CLivePlotWindow* Window() const;

private:
    IPageHost& m_host;
    QWidget& m_page;
    QPushButton& m_button;
    LiveRecording m_recording;
    QPointer<CLivePlotWindow> m_window;  // a child of the page's window, or deleted with us
};
