// Preloaded into an unmodified Qt Widgets program (LD_PRELOAD), this library notes when the
// program has put its first frame on the screen, writes that moment to the file named by
// VEXA_FIRST_FRAME_OUT and ends the program the normal way. Nothing of it is in the programs
// measured: they are the built `vexa` and the bare dialog as they are.
//
// The first frame is the first time a visible top-level widget was painted and its backing store
// flushed to the window: both happen while the window handles an expose or update request, so
// the probe lets the window handle such a request itself and looks whether a top-level widget
// was painted meanwhile. The moment is CLOCK_MONOTONIC in nanoseconds, the clock every process
// of the machine shares, so that the benchmark can subtract the moment it started the program.
// The line written is "<nanoseconds> <window width> <window height>".
#include <time.h>

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QWidget>
#include <QWindow>

namespace {

long long MonotonicNs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

class FirstFrameProbe : public QObject {
public:
    explicit FirstFrameProbe(QObject* parent) : QObject(parent) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (m_bDone) return false;
        const QEvent::Type type = event->type();
        if (type == QEvent::Paint && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            if (widget->isWindow()) m_painted = widget;
            return false;
        }
        if ((type != QEvent::Expose && type != QEvent::UpdateRequest) || !watched->isWindowType())
            return false;
        m_painted = nullptr;
        const bool handled = watched->event(event);
        if (m_painted && m_painted->isVisible()) Report(*m_painted);
        (void)handled;
        return true;
    }

private:
    void Report(const QWidget& window) {
        const long long at = MonotonicNs();
        m_bDone = true;
        QFile out(QString::fromLocal8Bit(qgetenv("VEXA_FIRST_FRAME_OUT")));
        if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            out.write(QByteArray::number(at) + ' ' + QByteArray::number(window.width()) + ' ' +
                      QByteArray::number(window.height()) + '\n');
        out.close();
        QCoreApplication::exit(0);
    }

    bool m_bDone = false;
    QWidget* m_painted = nullptr;
};

void InstallProbe() {
    if (qEnvironmentVariableIsEmpty("VEXA_FIRST_FRAME_OUT")) return;
    QCoreApplication* app = QCoreApplication::instance();
    app->installEventFilter(new FirstFrameProbe(app));
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallProbe)
