#pragma once

#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QScrollArea>
#include <QSize>

// Keeps a fixed-layout window usable on a small screen or at a large scale factor. The
// window's controls move into a scroll area as large as they are: where the screen's available
// area holds the whole window nothing changes (same size, no scroll bars, not resizable);
// where it does not, the window takes what the screen has and scrolls, so that every control
// stays reachable, and can be enlarged again up to its full size.
class ScreenFit : public QObject {
public:
    // Room kept for the window frame and title bar, which the window system adds around it.
    static constexpr QSize kFrameAllowance{16, 48};

    // Moves every child of `window` into the scroll area and sizes the window for its screen.
    explicit ScreenFit(QWidget& window);

    // The window's size for content of `content` size on a screen whose available area is
    // `available`, with scroll bars `scrollBar` pixels thick.
    static QSize FittedSize(QSize content, QSize available, int scrollBar);

    // The whole window at its full size, whatever part of it the screen shows.
    static QPixmap Picture(QWidget& window);

    QWidget* Content() const { return m_content; }
    QScrollArea* Area() const { return m_area; }

    // Sizes the window for the screen it is on now.
    void Fit();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& m_window;
    QPointer<QScrollArea> m_area;
    QPointer<QWidget> m_content;
    QSize m_contentSize;
};
