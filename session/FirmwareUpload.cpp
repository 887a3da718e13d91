#include "FirmwareUpload.h"

#include <algorithm>

#include "CommError.h"
#include "LineReader.h"
#include "ProtocolState.h"
#include "QueryReads.h"

namespace {

const QByteArray kDeviceTagInquiry = QByteArrayLiteral("?W\r");
const QByteArray kUpgradeWord = QByteArrayLiteral("UP");
constexpr QByteArrayView kTags[] = {"QZEC", "QZMC"};
constexpr QByteArrayView kReadyWords[] = {"RADY", "RADE"};

// The tag answer is twelve bytes with the tag in bytes 4-7: it ends eight bytes after the tag.
constexpr qsizetype kTagFromEnd = 8;
constexpr qsizetype kTagLength = 4;
// The tag stands in bytes 4-7 of the answer that begins "?W".
constexpr qsizetype kTagInAnswer = 4;
constexpr qsizetype kReadyLength = 4;
constexpr qsizetype kReadyLineEndLength = 2;

template <std::size_t n>
bool IsOneOf(QByteArrayView word, const QByteArrayView (&words)[n]) {
    return std::find(std::begin(words), std::end(words), word) != std::end(words);
}

// `length` bytes of `buffer` that begin `fromEnd` bytes before its end, or its first bytes
// when it is shorter than that.
QByteArray WordBeforeEnd(const QByteArray& buffer, qsizetype fromEnd, qsizetype length) {
    return buffer.mid(std::max<qsizetype>(0, buffer.size() - fromEnd), length);
}

// Cuts the buffer down to its last `kept` bytes; what goes is written to the debug log.
void KeepTail(QByteArray& buffer, qsizetype kept, const char* why) {
    if (buffer.size() <= kept) return;
    LogDropped(buffer.first(buffer.size() - kept), why);
    buffer = buffer.last(kept);
}

}  // namespace

FirmwareUpload::FirmwareUpload(const FirmwareImage& image, IUploadListener& progress)
    : m_image(image), m_progress(progress) {}

UploadStage FirmwareUpload::Stage() const {
    switch (m_mode) {
        case RxMode::BootReady:
            return UploadStage::BootReady;
        case RxMode::UploadData:
            return UploadStage::Data;
        case RxMode::UploadEnd:
            return UploadStage::LastData;
        case RxMode::UploadConfirm:
            return UploadStage::EndPacket;
        case RxMode::UploadFinal:
            return UploadStage::Confirm;
        default:
            return UploadStage::DeviceTag;
    }
}

void FirmwareUpload::Start(ConversationLine& line) {
    // Bytes an earlier conversation left in the buffer are not the tag's answer.
    line.ClearReceive();
    try {
        line.DiscardWaiting();  // whatever was waiting is not the tag
        Report(UploadStep::AskingDeviceTag);
        line.DiscardWaiting();
        line.SendAsIs(kDeviceTagInquiry);
    } catch (const CommError& error) {
        End(UploadResult::LineLost, line, error.Text());
        throw;
    }
}

Answered FirmwareUpload::Take(const QByteArray& received, ConversationLine& line) {
    switch (m_mode) {
        case RxMode::DeviceTag:
            return EvaluateDeviceTag(line);
        case RxMode::BootReady:
            return EvaluateReady(line);
        default:
            return CollectAnswer(received, line);
    }
}

// Mode 30. The answer may come in pieces: the buffer is kept until it holds a known tag, at
// bytes 4-7 of the answer that begins "?W", or (without that) in the four bytes that begin
// eight before its end. Another tag keeps the upload waiting (until the time-out), as does a
// partial answer.
Answered FirmwareUpload::EvaluateDeviceTag(ConversationLine& line) {
    QByteArray& buffer = line.State().m_strRxBuf;
    const qsizetype answerAt = buffer.lastIndexOf(kDeviceTagInquiry.first(2));
    const bool tagInAnswer = answerAt >= 0 && buffer.size() - answerAt >= kTagInAnswer + kTagLength;
    m_strDeviceTag = tagInAnswer ? buffer.mid(answerAt + kTagInAnswer, kTagLength)
                                 : WordBeforeEnd(buffer, kTagFromEnd, kTagLength);
    line.State().m_nRxCount = 0;
    if (!IsOneOf(m_strDeviceTag, kTags)) {
        // Only the tail can still become the end of an answer.
        KeepTail(buffer, kTagFromEnd + kTagLength - 1, "they hold no device tag");
        return Answered::Partial;
    }
    buffer.clear();
    m_mode = RxMode::BootReady;
    return Send(kUpgradeWord + m_strDeviceTag + '\r', line);
}

// Mode 2: the boot loader's ready word, wherever it stands in what came (the rest of the tag's
// answer may come before it); the buffer keeps only what may still become the word. The line
// end that may follow the word is not part of the first packet's answer, even when it comes in
// a later read.
Answered FirmwareUpload::EvaluateReady(ConversationLine& line) {
    QByteArray& buffer = line.State().m_strRxBuf;
    line.State().m_nRxCount = 0;
    m_nPktNo = 1;
    m_nFwOffset = 0;
    const auto found = std::find_if(std::begin(kReadyWords), std::end(kReadyWords),
                                    [&](QByteArrayView word) { return buffer.contains(word); });
    if (found == std::end(kReadyWords)) {
        KeepTail(buffer, kReadyLength - 1, "they cannot become the ready word");
        return Answered::Partial;
    }
    const qsizetype at = buffer.indexOf(*found);
    if (at > 0) LogDropped(buffer.first(at), "they came before the ready word");
    const QByteArray rest = buffer.mid(at + kReadyLength);
    buffer.clear();
    m_mode = RxMode::UploadData;
    m_nAnswerBytes = 0;
    m_nReadyLineEnd = 0;
    if (!rest.isEmpty()) SkipReadyLineEnd(rest);
    const Answered sent = SendPacket(upload::PacketType::Start, line);
    if (sent == Answered::GoOn) Report(UploadStep::Started);
    return sent;
}

// How many of the received bytes are the ready word's line end ("\r\n", "\r" or "\n"): only
// bytes in front of the first answer byte count.
qsizetype FirmwareUpload::SkipReadyLineEnd(QByteArrayView received) {
    qsizetype skipped = 0;
    while (m_nAnswerBytes == 0 && m_nReadyLineEnd < kReadyLineEndLength &&
           skipped < received.size() && (received[skipped] == '\r' || received[skipped] == '\n')) {
        ++skipped;
        ++m_nReadyLineEnd;
    }
    if (skipped > 0) LogDropped(received.first(skipped).toByteArray(), "the ready word's line end");
    return skipped;
}

// Modes 3 to 6: each answer is evaluated when its sixty-fourth byte is in. Bytes that arrive in
// the same event after a complete answer were sent before the next packet went out, so they
// cannot answer it: they are dropped.
Answered FirmwareUpload::CollectAnswer(QByteArrayView received, ConversationLine& line) {
    ProtocolState& state = line.State();
    state.m_strRxBuf.clear();  // answers are read from the packet, not the text buffer
    if (m_nPktNo == 1) received = received.sliced(SkipReadyLineEnd(received));
    const qsizetype taken = std::min(received.size(), upload::kPacketSize - m_nAnswerBytes);
    std::copy_n(received.data(), taken, m_rxPacket.data() + m_nAnswerBytes);
    m_nAnswerBytes += taken;
    state.m_nRxCount = int(m_nAnswerBytes);
    if (taken < received.size())
        LogDropped(received.sliced(taken).toByteArray(), "they came behind a complete answer");
    if (m_nAnswerBytes < upload::kPacketSize) return Answered::Partial;
    m_nAnswerBytes = 0;
    state.m_nRxCount = 0;
    return EvaluateAnswer(line);
}

Answered FirmwareUpload::EvaluateAnswer(ConversationLine& line) {
    const upload::BootAnswer answer =
        upload::ReadAnswer(QByteArrayView(m_rxPacket.data(), m_rxPacket.size()));
    m_nAckNo = answer.expected;
    m_nAckSum = answer.sum;
    ++m_nPktNo;
    if (m_nAckNo != m_nPktNo) return End(UploadResult::WrongAck, line);
    switch (m_mode) {
        case RxMode::UploadData:
            if (m_nPktNo == m_image.Packets()) m_mode = RxMode::UploadEnd;
            return SendNextData(line);
        case RxMode::UploadEnd: {
            m_mode = RxMode::UploadConfirm;
            const Answered sent =
                SendPacket(upload::PacketType::End, line, upload::SumBody(m_nFwSum));
            if (sent == Answered::GoOn) Report(UploadStep::EndSent);
            return sent;
        }
        case RxMode::UploadConfirm:
            m_mode = RxMode::UploadFinal;
            Report(UploadStep::EndAnswered);
            if (m_nFwSum != m_nAckSum) return End(UploadResult::ChecksumMismatch, line);
            return SendPacket(upload::PacketType::Confirm, line);
        case RxMode::UploadFinal:
            return End(UploadResult::Succeeded, line);
        default:
            return Answered::Partial;
    }
}

Answered FirmwareUpload::SendNextData(ConversationLine& line) {
    const QByteArray payload = m_image.Payload(m_nFwOffset);
    m_nFwOffset += FirmwareImage::kPayloadSize;
    m_nFwSum = upload::AddToSum(m_nFwSum, payload);
    const Answered sent = SendPacket(upload::PacketType::Data, line, payload);
    if (sent == Answered::GoOn) Report(UploadStep::DataSent);
    return sent;
}

// The session has taken what waited on the port first: no answer came.
Answered FirmwareUpload::OnSilence(ConversationLine& line) {
    m_result = UploadResult::TimedOut;
    line.ClearReceive();
    return Answered::Done;
}

void FirmwareUpload::OnLineLost(const QString& reason, ConversationLine& line) {
    End(UploadResult::LineLost, line, reason);
}

// The controller starts its new firmware: what it holds is read afresh, whoever uploaded it.
void FirmwareUpload::AfterDone(ConversationLine& line) {
    if (m_result != UploadResult::Succeeded) return;
    line.State().m_nLiveChannels.fill(0);
    line.FollowWith(std::make_shared<FullReadBack>(true));
}

void FirmwareUpload::DescribeEnd(ChainEnd& end) const {
    const UploadResult result = m_result.value_or(UploadResult::Replaced);
    if (end.result == ChainResult::Done) {
        switch (result) {
            case UploadResult::WrongAck:
            case UploadResult::ChecksumMismatch:
                end.result = ChainResult::OtherValue;
                break;
            case UploadResult::LineLost:
                end.result = ChainResult::LineLost;
                break;
            default:
                break;
        }
    }
    end.upload = UploadOutcome{result,    Stage(),   m_nPktNo,          m_nAckNo, m_nFwSum,
                               m_nAckSum, Percent(), m_image.Packets(), m_detail};
}

Answered FirmwareUpload::End(UploadResult result, ConversationLine& line, const QString& detail) {
    m_result = result;
    m_detail = detail;
    m_nAnswerBytes = 0;
    // The caller may show a modal message when it is told: by then further bytes go to the
    // ordinary receive mode.
    line.BackToIdle();
    line.ClearReceive();
    return Answered::Done;
}

Answered FirmwareUpload::Send(const QByteArray& frame, ConversationLine& line) {
    try {
        line.SendAsIs(frame);
    } catch (const CommError& error) {
        return End(UploadResult::LineLost, line, error.Text());
    }
    return Answered::GoOn;
}

Answered FirmwareUpload::SendPacket(upload::PacketType type, ConversationLine& line,
                                    QByteArrayView body) {
    return Send(upload::BuildPacket(type, m_nPktNo, body), line);
}

void FirmwareUpload::Report(UploadStep step) {
    m_progress.OnUploadProgress({step, m_nPktNo, Percent(), m_image.Packets()});
}

int FirmwareUpload::Percent() const {
    return int(qint64(m_nPktNo) * 100 / (qint64(m_image.Packets()) + 1));
}
