#pragma once

#include <QEventLoop>
#include <QTimer>

// Runs the event loop for the given time. It sleeps in the loop's own wait, so it adds no CPU
// time of its own to what a test measures.
inline void RunEventsFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}
