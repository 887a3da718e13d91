#pragma once

#include <QByteArray>
#include <QDateTime>
#include <vector>

#include "SimProcess.h"

// vexa-sim on a pseudo-terminal for a benchmark, which also reads when each frame arrived.
class BenchSim : public SimProcess {
public:
    using SimProcess::SimProcess;

    // When each frame the controller received that begins with `frame` arrived, in milliseconds
    // since the epoch, in order (the log stamps every frame to the millisecond).
    std::vector<qint64> ReceivedAt(QByteArrayView frame) const {
        std::vector<qint64> stamps;
        for (const QByteArray& line : Log().split('\n')) {
            const qsizetype at = line.indexOf(" rx ");
            if (at < 0 || !line.sliced(at + 4).startsWith(frame)) continue;
            // The time is the line's first word; the simulator's pid follows it.
            const QByteArray time = line.first(at).split(' ').value(0);
            const QDateTime stamp =
                QDateTime::fromString(QString::fromLatin1(time), Qt::ISODateWithMs);
            if (stamp.isValid()) stamps.push_back(stamp.toMSecsSinceEpoch());
        }
        return stamps;
    }
};
