#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <chrono>
#include <optional>

#include "Conversation.h"
#include "FirmwareImage.h"
#include "IUploadListener.h"
#include "UploadPacket.h"

// Uploads a firmware image to the controller's boot loader: the device tag inquiry "?W\r"
// (mode 30), the start word "UPQZMC\r" or "UPQZEC\r" (mode 2), then a stop-and-wait exchange of
// 64-byte packets (modes 3 to 6): start 1, data 2 to N, end N + 1 with the sum, confirm N + 2.
// Each packet goes out only after the answer to the one before carried its number.
//
// A conversation like the others: the session starts it (StartUpload), hands it the bytes of
// every receive event while it has the line, times the boot loader's silence (kAnswerTimeout
// after each frame) and tells its end once, with its outcome (ChainEnd::upload). It ends when an
// answer is wrong, when no answer comes in time, when the line is lost or when another intent
// takes the line; every end leaves the line in mode 0 with the receive buffer emptied. The
// caller that started it is told its progress; after a confirmed upload the controller runs its
// new firmware, and the read-back follows.
class FirmwareUpload final : public Conversation {
public:
    // The longest silence of the device while an upload waits for it. An exchange takes 11 ms
    // on the line; the boot loader may erase its flash before it answers the start word or the
    // start packet, which takes up to about two seconds for 64 KB on the controller's class of
    // microcontroller. Three seconds cover that and still tell the operator within moments.
    static constexpr std::chrono::milliseconds kAnswerTimeout{3000};

    // Uploads a copy of `image` (loaded); `progress` hears each step and outlives the upload.
    FirmwareUpload(const FirmwareImage& image, IUploadListener& progress);

    Chain Kind() const override { return Chain::Upload; }
    // The mode of the step it stands at: 30, then 2 to 6.
    RxMode ReceiveMode() const override { return m_mode; }
    // Mode 30, the receive buffer emptied, stale input dropped, "?W\r". A line that refuses it
    // ends the upload as lost (CommError thrown on).
    void Start(ConversationLine& line) override;
    // The bytes of one receive event (none for an event without data); they are in the receive
    // buffer too.
    Answered Take(const QByteArray& received, ConversationLine& line) override;
    char Awaited() const override { return 0; }
    std::chrono::milliseconds SilenceLimit() const override { return kAnswerTimeout; }
    Answered OnSilence(ConversationLine& line) override;
    void OnLineLost(const QString& reason, ConversationLine& line) override;
    void AfterDone(ConversationLine& line) override;

    // Where it stands: what it has sent last and waits to have answered.
    UploadStage Stage() const;
    // Its end as the caller is told it: the outcome added, and an answer that carried another
    // number or sum than awaited told as an answer with another value.
    void DescribeEnd(ChainEnd& end) const override;

private:
    Answered EvaluateDeviceTag(ConversationLine& line);
    Answered EvaluateReady(ConversationLine& line);
    Answered CollectAnswer(QByteArrayView received, ConversationLine& line);
    // How many of the received bytes belong to the ready word's line end.
    qsizetype SkipReadyLineEnd(QByteArrayView received);
    Answered EvaluateAnswer(ConversationLine& line);
    Answered SendNextData(ConversationLine& line);
    // Sends a frame: GoOn, or Done when the line refused it (the upload has then ended as lost).
    Answered Send(const QByteArray& frame, ConversationLine& line);
    Answered SendPacket(upload::PacketType type, ConversationLine& line, QByteArrayView body = {});
    // It has ended by itself: mode 0 with the receive buffer emptied before anyone is told.
    Answered End(UploadResult result, ConversationLine& line, const QString& detail = {});
    void Report(UploadStep step);
    int Percent() const;

    FirmwareImage m_image;
    IUploadListener& m_progress;
    RxMode m_mode = RxMode::DeviceTag;
    // How it ended, once it has; none when another intent took the line.
    std::optional<UploadResult> m_result;
    QString m_detail;  // a lost line: what the serial control said

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
