#pragma once

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <string>

// vexa-sim running on a pseudo-terminal for the length of a test or benchmark, with its frame log
// in a temporary folder; its device is read from the line it prints first.
class SimProcess {
public:
    explicit SimProcess(const QStringList& options = {}) {
        m_logPath = m_dir.filePath(QStringLiteral("frames.log"));
        m_process.start(QStringLiteral(VEXA_SIM_BINARY),
                        QStringList{QStringLiteral("--log"), m_logPath} + options);
        if (!m_process.waitForStarted(5000)) return;
        while (!m_process.canReadLine() && m_process.waitForReadyRead(5000)) {
        }
        m_device = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }
    ~SimProcess() { Stop(); }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // The device to open; empty when the simulator did not start.
    const QString& Device() const { return m_device; }

    // Ends the simulator with SIGTERM, which takes the line away from whoever has it open.
    void Stop() {
        if (m_process.state() == QProcess::NotRunning) return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) m_process.kill();
    }

    // The letters of every query the controller received, in order ("?V\r" gives 'V').
    std::string QueriedLetters() const {
        QFile log(m_logPath);
        std::string letters;
        if (!log.open(QIODevice::ReadOnly)) return letters;
        const QByteArray marker = " rx ?";
        for (const QByteArray& line : log.readAll().split('\n')) {
            const qsizetype at = line.indexOf(marker);
            if (at >= 0 && line.size() > at + marker.size()) letters += line.at(at + marker.size());
        }
        return letters;
    }

    // The frame log as written so far: one line per frame received.
    QByteArray Log() const {
        QFile log(m_logPath);
        return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
    }

    // Every frame the controller received, as the log spells it ("SC0045\\r", "?V\\r").
    QStringList ReceivedFrames() const {
        QFile log(m_logPath);
        QStringList frames;
        if (!log.open(QIODevice::ReadOnly)) return frames;
        for (const QString& line : QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'))) {
            const qsizetype at = line.indexOf(QLatin1String(" rx "));
            if (at >= 0) frames << line.mid(at + 4);
        }
        return frames;
    }
    // The frames received, once at least `count` are logged or `ms` have passed: the simulator
    // logs a frame when it has read it, which may be just after its sender has exited.
    QStringList ReceivedFramesAtLeast(qsizetype count, int ms = 5000) const {
        QDeadlineTimer deadline(ms);
        QStringList frames = ReceivedFrames();
        while (frames.size() < count && !deadline.hasExpired()) {
            QThread::msleep(10);
            frames = ReceivedFrames();
        }
        return frames;
    }

private:
    QTemporaryDir m_dir;
    QString m_logPath;
    QProcess m_process;
    QString m_device;
};
