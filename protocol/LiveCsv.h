#pragma once

#include <QByteArray>
#include <QString>
#include <chrono>

#include "LiveFrame.h"
#include "WriteAll.h"

class LiveRecording;
class QIODevice;

// Live frames as comma-separated values, one line per frame under a header line:
//
//   time_s,frame,CH1,...,CH8,M/S1,...,M/S8,ultrasonic_mm,baro_dm,heading_deg,vibration,
//   longitude,latitude
//
// The time is in seconds since the display started, to the millisecond; `frame` is the
// frame's tag. The receiver channels stand in channel order (channel 3 before channel 4, as
// the page shows them). A line fills only the columns its frame carries and leaves the others
// empty, so that no value appears at a time it was not received.
namespace live_csv {

// The header line and a frame's line, without the line end.
QByteArray Header();
QByteArray Line(std::chrono::milliseconds at, const LiveFrame& frame);

// Writes the header and every frame of the recording, each line ended by "\n"; false when the
// device refused.
bool Write(const LiveRecording& recording, QIODevice& device);
// Writes the same to `path` as a kept file (KeptFiles: all or nothing, a link, FIFO or device
// node refused, a new file 0600) in a folder that exists; on failure the reason in `error`. `calls`: the system's
// unless given.
bool Save(const LiveRecording& recording, const QString& path, QString* error,
          const WriteCalls* calls = nullptr);

}  // namespace live_csv
