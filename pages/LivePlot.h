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

    // Before a new display starts: a recording not saved since its last frame is not dropped
    // without a question (save it, drop it, or do not start). True when the display may start.
    bool MayStartAfresh();
    void DisplayStarted();
    void Record(const LiveFrame& frame);
    void Open();
    void SetEnglish(bool english);
    // What the plot says of the values' age (stopped, line lost), or nothing while they stream.
    void SetAgeNote(const QString& note);

    const LiveRecording& Recording() const { return m_recording; }
    // Null until the window has first been opened.
    CLivePlotWindow* Window() const;

private:
    void MakeWindow();

    IPageHost& m_host;
    QWidget& m_page;
    QPushButton& m_button;
    LiveRecording m_recording;
    QPointer<CLivePlotWindow> m_window;
    QString m_strAgeNote;  // a child of the page's window, or deleted with us
};
