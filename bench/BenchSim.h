#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <vector>

// vexa-sim on a pseudo-terminal for a benchmark: started with the given options and a frame log,
// its device read from the line it prints first, ended with SIGTERM when it goes (or by Stop,
// which takes the line away from whoever has it open).
class BenchSim {
public:
    explicit BenchSim(const QStringList& options = {}) {
        m_logPath = m_dir.filePath(QStringLiteral("frames.log"));
        m_process.start(QStringLiteral(VEXA_SIM_BINARY),
                        QStringList{QStringLiteral("--log"), m_logPath} + options);
        if (!m_process.waitForStarted(5000)) return;
        while (!m_process.canReadLine() && m_process.waitForReadyRead(5000)) {
        }
        m_device = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }
    ~BenchSim() { Stop(); }
    BenchSim(const BenchSim&) = delete;
    BenchSim& operator=(const BenchSim&) = delete;

    // The device to open; empty when the simulator did not start.
    const QString& Device() const { return m_device; }

    void Stop() {
        if (m_process.state() == QProcess::NotRunning) return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) m_process.kill();
    }

    // When each frame the controller received that begins with `frame` arrived, in milliseconds
    // since the epoch, in order (the log stamps every frame to the millisecond).
    std::vector<qint64> ReceivedAt(QByteArrayView frame) const {
        std::vector<qint64> stamps;
        QFile log(m_logPath);
        if (!log.open(QIODevice::ReadOnly)) return stamps;
        for (const QByteArray& line : log.readAll().split('\n')) {
            const qsizetype at = line.indexOf(" rx ");
            if (at < 0 || !line.sliced(at + 4).startsWith(frame)) continue;
            const QDateTime stamp =
                QDateTime::fromString(QString::fromLatin1(line.first(at)), Qt::ISODateWithMs);
            if (stamp.isValid()) stamps.push_back(stamp.toMSecsSinceEpoch());
        }
        return stamps;
    }

private:
    QTemporaryDir m_dir;
    QString m_logPath;
    QProcess m_process;
    QString m_device;
};
