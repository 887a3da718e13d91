#pragma once

#include <QByteArray>
#include <QMetaObject>
#include <array>
#include <chrono>
#include <optional>

#include "ClockTimer.h"
#include "FirmwareImage.h"
#include "IUpgradeReceiver.h"
#include "IUploadListener.h"
#include "UploadPacket.h"

class CMSComm;
class LineReader;
struct ProtocolState;

// Uploads a firmware image to the controller's boot loader: the device tag inquiry "?W\r"
// (mode 30), the start word "UPQZMC\r" or "UPQZEC\r" (mode 2), then a stop-and-wait exchange of
// 64-byte packets (modes 3 to 6): start 1, data 2 to N, end N + 1 with the sum, confirm N + 2.
// Each packet goes out only after the answer to the one before carried its number.
//
// It registers with the line reader for the upgrade modes for as long as it lives, and ends an
// upload when an answer is wrong, when no answer comes for kAnswerTimeout, or when the line is
// lost; every end puts the receive mode back to 0 and is told to the listener once.
//
// Without a window (the port open at 115200 8N1, binary input, RThreshold 1, and the serial
// control's OnComm calling reader.OnComm()):
//     FirmwareImage image;
//     if (image.Load(path) != FirmwareCheck::Ok) ...;  // the check says why
//     CFirmwareUpload upload(state, comm, clock, reader, listener);
//     upload.Start(image);  // then run the event loop until listener.OnUploadEnded
class CFirmwareUpload : public IUpgradeReceiver {
public:
    // The longest silence of the device while an upload waits for it. An exchange takes 11 ms
    // on the line; the boot loader may erase its flash before it answers the start word or the
    // start packet, which takes up to about two seconds for 64 KB on the controller's class of
    // microcontroller. Three seconds cover that and still tell the operator within moments.
    static constexpr std::chrono::milliseconds kAnswerTimeout{3000};

    CFirmwareUpload(ProtocolState& state, CMSComm& comm, IClock& clock, LineReader& reader,
                    IUploadListener& listener);
    ~CFirmwareUpload() override;
    CFirmwareUpload(const CFirmwareUpload&) = delete;
    CFirmwareUpload& operator=(const CFirmwareUpload&) = delete;

    // Starts uploading a copy of `image`: mode 30, stale input dropped, "?W\r". False, with
    // nothing sent, when no image is loaded or an upload is already running.
    bool Start(const FirmwareImage& image);
    // An upload owns the line (receive mode 30 or 2 to 6).
    bool IsRunning() const;
    // Where the running upload stands; nullopt when none runs.
    std::optional<UploadStage> Stage() const;

    void OnUpgradeReceive(QByteArrayView received) override;

    // The sum of the data bytes sent so far in this upload.
    quint32 Sum() const { return m_nFwSum; }

private:
    void EvaluateDeviceTag();
    void EvaluateReady();
    void CollectAnswer(QByteArrayView received);
    // How many of the received bytes belong to the ready word's line end.
    qsizetype SkipReadyLineEnd(QByteArrayView received);
    void EvaluateAnswer();
    void SendNextData();
    void OnSilence();
    // Every end: receive mode 0, sum 0, no time-out; then the listener is told.
    void End(UploadResult result, const QString& detail = {});
    // Sends a frame and waits for its answer; false when the line refused it (the upload has
    // then ended as lost).
    bool Send(const QByteArray& frame);
    bool SendPacket(upload::PacketType type, QByteArrayView body = {});
    void Report(UploadStep step);
    int Percent() const;

    ProtocolState& m_state;
    CMSComm& m_comm;
    LineReader& m_reader;
    IUploadListener& m_listener;
    ClockTimer m_answerTimer;
    QMetaObject::Connection m_lineLost;
    FirmwareImage m_image;

    QByteArray m_strDeviceTag;
    quint32 m_nPktNo = 0;   // the packet last sent; also counts the answers
    quint32 m_nAckNo = 0;   // the packet number in the last answer
    quint32 m_nAckSum = 0;  // the sum in the last answer
    quint32 m_nFwOffset = 0;
    quint32 m_nFwSum = 0;
    std::array<char, upload::kPacketSize> m_rxPacket{};
    qsizetype m_nAnswerBytes = 0;   // bytes of the answer collected in m_rxPacket
    qsizetype m_nReadyLineEnd = 0;  // bytes of the ready word's line end skipped
};
