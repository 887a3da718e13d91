#include "LiveCsv.h"

#include <QBuffer>
#include <QFileInfo>
#include <optional>

#include "KeptFiles.h"
#include "LiveRecording.h"

namespace live_csv {

namespace {

constexpr int kChannelColumns = 16;
constexpr int kSensorColumns = 6;

// A text field quoted when it holds a separator, a quote or a line break: a position whose
// sign character is a comma must not shift the columns after it.
QByteArray Field(const QString& text) {
    QByteArray field = text.toUtf8();
    if (!field.contains(',') && !field.contains('"') && !field.contains('\n') &&
        !field.contains('\r'))
        return field;
    field.replace("\"", "\"\"");
    return '"' + field + '"';
}

QByteArray Seconds(std::chrono::milliseconds at) {
    const auto ms = at.count();
    return QByteArray::number(ms / 1000) + '.' +
           QByteArray::number(ms % 1000).rightJustified(3, '0');
}

QByteArray Columns(const QList<QByteArray>& fields) { return fields.join(','); }

}  // namespace

QByteArray Header() {
    QList<QByteArray> names{"time_s", "frame"};
    for (int channel = 1; channel <= 8; ++channel) names << "CH" + QByteArray::number(channel);
    for (int output = 1; output <= 8; ++output) names << "M/S" + QByteArray::number(output);
    names << "ultrasonic_mm"
          << "baro_dm"
          << "heading_deg"
          << "vibration"
          << "longitude"
          << "latitude";
    return Columns(names);
}

QByteArray Line(std::chrono::milliseconds at, const LiveFrame& frame) {
    QList<QByteArray> fields{Seconds(at), TagOf(frame.kind)};
    QList<QByteArray> channels(kChannelColumns);
    QList<QByteArray> sensors(kSensorColumns);
    if (frame.kind == LiveFrame::Kind::Receiver) {
        for (int channel = 1; channel <= 8; ++channel)
            channels[channel - 1] = QByteArray::number(ReceiverChannel(frame, channel));
    } else if (frame.kind == LiveFrame::Kind::Outputs) {
        for (int i = 0; i < 8; ++i)
            channels[8 + i] = QByteArray::number(frame.values[std::size_t(i)]);
    } else {
        sensors = {QByteArray::number(frame.ultrasonicMm),
                   QByteArray::number(frame.baroDm),
                   QByteArray::number(frame.headingDeg),
                   QByteArray::number(frame.vibration),
                   Field(frame.longitude),
                   Field(frame.latitude)};
    }
    return Columns(fields + channels + sensors);
}

bool Write(const LiveRecording& recording, QIODevice& device) {
    // Written in pieces: half an hour of frames is several megabytes of text.
    static constexpr qsizetype kPiece = 64 * 1024;
    QByteArray piece = Header() + '\n';
    for (qsizetype i = 0; i < recording.Size(); ++i) {
        const RecordedFrame& frame = recording.At(i);
        piece += Line(frame.At(), frame.Frame()) + '\n';
        if (piece.size() < kPiece) continue;
        if (device.write(piece) != piece.size()) return false;
        piece.clear();
    }
    return device.write(piece) == piece.size();
}

bool Save(const LiveRecording& recording, const QString& path, QString* error,
          const WriteCalls* calls) {
    // The user chose a file in a folder that is there: none is made for it.
    const QString folder = QFileInfo(path).absolutePath();
    std::optional<QString> problem;
    if (!QFileInfo(folder).isDir()) {
        problem = QStringLiteral("the folder %1 does not exist").arg(folder);
    } else {
        QBuffer text;
        text.open(QIODevice::WriteOnly);
        Write(recording, text);
        problem = WriteKeptFile(path, text.data(), calls);
    }
    if (problem && error) *error = *problem;
    return !problem;
}

}  // namespace live_csv
