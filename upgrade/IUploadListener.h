#pragma once

#include <QString>
#include <QtGlobal>

// The steps of an upload the operator is shown, in order.
enum class UploadStep {
    AskingDeviceTag,  // "?W\r" is out
    Started,          // the boot loader is ready; the start packet (1) is out
    DataSent,         // a data packet (2 to N) is out
    EndSent,          // the last data packet was acknowledged; the end packet with the sum is out
    EndAnswered,      // the end packet was acknowledged; its sum is checked next
};

struct UploadProgress {
    UploadStep step;
    quint32 packet;   // the number of the packet last sent (0 while asking for the tag)
    int percent;      // packet × 100 / (N + 1); above 100 once the end packet is answered
    quint32 packets;  // N; the progress runs from 0 to N + 1
};

enum class UploadResult {
    Succeeded,         // the confirm packet was acknowledged
    WrongAck,          // an answer carried another packet number than the one sent next
    ChecksumMismatch,  // the boot loader's sum differs from the sum of the data bytes sent
    TimedOut,          // no (recognised) answer came in time
    LineLost,          // the port went away or refused a write
    Replaced,          // another intent took the line (a new port): the upload was broken off
};

// Where an upload stands: what it has sent last and waits to have answered.
enum class UploadStage {
    DeviceTag,  // "?W": the device tag is awaited
    BootReady,  // the upgrade word: the boot loader's ready word is awaited
    Data,       // the start packet or a data packet
    LastData,   // the last data packet
    EndPacket,  // the end packet with the sum
    Confirm,    // the confirm packet
};

struct UploadOutcome {
    UploadResult result;
    UploadStage stage;  // where the upload stood when it ended
    quint32 packet;     // the answer that ended it was expected to carry this number
    quint32 ackNo;      // the number the last answer carried
    quint32 sentSum;    // the sum of the data bytes sent
    quint32 ackSum;     // the sum the last answer carried
    int percent;        // packet × 100 / (N + 1)
    quint32 packets;    // N
    QString detail;     // LineLost: what the serial control said
};

// What an upload tells the program that started it (the main window, the command line) while
// it runs, from inside the serial control's notification. Its end comes once, with the
// session's end of every conversation (ISessionListener::OnChainEnded, ChainEnd::upload).
class IUploadListener {
public:
    virtual ~IUploadListener() = default;
    virtual void OnUploadProgress(const UploadProgress& progress) = 0;
};
