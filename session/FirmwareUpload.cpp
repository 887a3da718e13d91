#include "FirmwareUpload.h"

#include <algorithm>

#include "CMSComm.h"
#include "CommError.h"
#include "IUploadListener.h"
#include "LineReader.h"
#include "ProtocolState.h"

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

}  // namespace

CFirmwareUpload::CFirmwareUpload(ProtocolState& state, CMSComm& comm, IClock& clock,
                                 LineReader& reader, IUploadListener& listener)
    : m_state(state), m_comm(comm), m_reader(reader), m_listener(listener), m_answerTimer(clock) {
    m_answerTimer.onExpired = [this] { OnSilence(); };
    m_lineLost = QObject::connect(&m_comm, &CMSComm::LineLost, [this](const QString& reason) {
        if (IsRunning()) End(UploadResult::LineLost, reason);
    });
    m_reader.SetUpgradeReceiver(this);
}

CFirmwareUpload::~CFirmwareUpload() {
    m_reader.SetUpgradeReceiver(nullptr);
    QObject::disconnect(m_lineLost);
}

bool CFirmwareUpload::IsRunning() const { return IsUpgradeMode(m_reader.ReceiveMode()); }

std::optional<UploadStage> CFirmwareUpload::Stage() const {
    switch (m_reader.ReceiveMode()) {
        case RxMode::DeviceTag:
            return UploadStage::DeviceTag;
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
            return std::nullopt;
    }
}

bool CFirmwareUpload::Start(const FirmwareImage& image) {
    if (!image.IsLoaded() || IsRunning()) return false;
    m_image = image;
    m_reader.SetUploadMode(RxMode::DeviceTag);
    m_state.m_nRxCount = 0;
    m_state.m_strRxBuf.clear();
    m_strDeviceTag.clear();
    m_nPktNo = m_nAckNo = m_nAckSum = m_nFwOffset = m_nFwSum = 0;
    m_nAnswerBytes = 0;
    try {
        m_comm.GetInput();  // whatever was waiting is not the tag
        Report(UploadStep::AskingDeviceTag);
        m_comm.GetInput();
    } catch (const CommError& error) {
        End(UploadResult::LineLost, error.Text());
        return true;
    }
    Send(kDeviceTagInquiry);
    return true;
}

void CFirmwareUpload::OnUpgradeReceive(QByteArrayView received) {
    switch (m_reader.ReceiveMode()) {
        case RxMode::DeviceTag:
            return EvaluateDeviceTag();
        case RxMode::BootReady:
            return EvaluateReady();
        default:
            return CollectAnswer(received);
    }
}

// Mode 30. The answer may come in pieces: the buffer is kept until it holds a known tag, at
// bytes 4-7 of the answer that begins "?W", or (without that) in the four bytes that begin
// eight before its end. Another tag keeps the upload waiting (until the time-out), as does a
// partial answer.
void CFirmwareUpload::EvaluateDeviceTag() {
    QByteArray& buffer = m_state.m_strRxBuf;
    const qsizetype answerAt = buffer.lastIndexOf(kDeviceTagInquiry.first(2));
    const bool tagInAnswer = answerAt >= 0 && buffer.size() - answerAt >= kTagInAnswer + kTagLength;
    m_strDeviceTag = tagInAnswer ? buffer.mid(answerAt + kTagInAnswer, kTagLength)
                                 : WordBeforeEnd(buffer, kTagFromEnd, kTagLength);
    m_state.m_nRxCount = 0;
    if (!IsOneOf(m_strDeviceTag, kTags)) {
        // Only the tail can still become the end of an answer.
        if (buffer.size() > kTagFromEnd + kTagLength - 1)
            buffer = buffer.last(kTagFromEnd + kTagLength - 1);
        return;
    }
    buffer.clear();
    m_reader.SetUploadMode(RxMode::BootReady);
    Send(kUpgradeWord + m_strDeviceTag + '\r');
}

// Mode 2: the boot loader's ready word, wherever it stands in what came (the rest of the tag's
// answer may come before it); the buffer keeps only what may still become the word. The line
// end that may follow the word is not part of the first packet's answer, even when it comes in
// a later read.
void CFirmwareUpload::EvaluateReady() {
    QByteArray& buffer = m_state.m_strRxBuf;
    m_state.m_nRxCount = 0;
    m_nPktNo = 1;
    m_nFwOffset = 0;
    const auto found = std::find_if(std::begin(kReadyWords), std::end(kReadyWords),
                                    [&](QByteArrayView word) { return buffer.contains(word); });
    if (found == std::end(kReadyWords)) {
        if (buffer.size() > kReadyLength - 1) buffer = buffer.last(kReadyLength - 1);
        return;
    }
    const qsizetype after = buffer.indexOf(*found) + kReadyLength;
    const QByteArray rest = buffer.mid(after);
    buffer.clear();
    m_reader.SetUploadMode(RxMode::UploadData);
    m_nAnswerBytes = 0;
    m_nReadyLineEnd = 0;
    if (!rest.isEmpty()) SkipReadyLineEnd(rest);
    if (SendPacket(upload::PacketType::Start)) Report(UploadStep::Started);
}

// How many of the received bytes are the ready word's line end ("\r\n", "\r" or "\n"): only
// bytes in front of the first answer byte count.
qsizetype CFirmwareUpload::SkipReadyLineEnd(QByteArrayView received) {
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
void CFirmwareUpload::CollectAnswer(QByteArrayView received) {
    m_state.m_strRxBuf.clear();  // answers are read from the packet, not the text buffer
    if (m_nPktNo == 1) received = received.sliced(SkipReadyLineEnd(received));
    const qsizetype taken = std::min(received.size(), upload::kPacketSize - m_nAnswerBytes);
    std::copy_n(received.data(), taken, m_rxPacket.data() + m_nAnswerBytes);
    m_nAnswerBytes += taken;
    m_state.m_nRxCount = int(m_nAnswerBytes);
    if (taken < received.size())
        LogDropped(received.sliced(taken).toByteArray(), "they came behind a complete answer");
    if (m_nAnswerBytes < upload::kPacketSize) return;
    m_nAnswerBytes = 0;
    m_state.m_nRxCount = 0;
    EvaluateAnswer();
}

void CFirmwareUpload::EvaluateAnswer() {
    const upload::BootAnswer answer =
        upload::ReadAnswer(QByteArrayView(m_rxPacket.data(), m_rxPacket.size()));
    m_nAckNo = answer.expected;
    m_nAckSum = answer.sum;
    ++m_nPktNo;
    if (m_nAckNo != m_nPktNo) return End(UploadResult::WrongAck);
    switch (m_reader.ReceiveMode()) {
        case RxMode::UploadData:
            if (m_nPktNo == m_image.Packets()) m_reader.SetUploadMode(RxMode::UploadEnd);
            return SendNextData();
        case RxMode::UploadEnd:
            m_reader.SetUploadMode(RxMode::UploadConfirm);
            if (SendPacket(upload::PacketType::End, upload::SumBody(m_nFwSum)))
                Report(UploadStep::EndSent);
            return;
        case RxMode::UploadConfirm:
            m_reader.SetUploadMode(RxMode::UploadFinal);
            Report(UploadStep::EndAnswered);
            if (m_nFwSum != m_nAckSum) return End(UploadResult::ChecksumMismatch);
            SendPacket(upload::PacketType::Confirm);
            return;
        case RxMode::UploadFinal:
            return End(UploadResult::Succeeded);
        default:
            return;
    }
}

void CFirmwareUpload::SendNextData() {
    const QByteArray payload = m_image.Payload(m_nFwOffset);
    m_nFwOffset += FirmwareImage::kPayloadSize;
    m_nFwSum = upload::AddToSum(m_nFwSum, payload);
    if (SendPacket(upload::PacketType::Data, payload)) Report(UploadStep::DataSent);
}

// The answer may have come while the program was busy: it is taken before the silence counts.
void CFirmwareUpload::OnSilence() {
    try {
        m_reader.ReceiveWaiting();
    } catch (const CommError&) {
    }
    if (!IsRunning() || m_answerTimer.IsActive()) return;
    if (!m_answerTimer.RestartIfLate(kAnswerTimeout)) End(UploadResult::TimedOut);
}

void CFirmwareUpload::End(UploadResult result, const QString& detail) {
    const UploadOutcome outcome{result,    *Stage(),  m_nPktNo,          m_nAckNo, m_nFwSum,
                                m_nAckSum, Percent(), m_image.Packets(), detail};
    // The window may show a modal message from the listener: by then the upload is over and
    // further bytes go to the ordinary receive mode.
    m_answerTimer.Stop();
    m_reader.SetUploadMode(RxMode::ReadBack);
    m_state.m_strRxBuf.clear();
    m_state.m_nRxCount = 0;
    m_nFwSum = 0;
    m_nAnswerBytes = 0;
    m_listener.OnUploadEnded(outcome);
}

bool CFirmwareUpload::Send(const QByteArray& frame) {
    try {
        m_comm.SetOutput(frame);
    } catch (const CommError& error) {
        End(UploadResult::LineLost, error.Text());
        return false;
    }
    m_answerTimer.Start(kAnswerTimeout);
    return true;
}

bool CFirmwareUpload::SendPacket(upload::PacketType type, QByteArrayView body) {
    return Send(upload::BuildPacket(type, m_nPktNo, body));
}

void CFirmwareUpload::Report(UploadStep step) {
    m_listener.OnUploadProgress({step, m_nPktNo, Percent(), m_image.Packets()});
}

int CFirmwareUpload::Percent() const {
    return int(qint64(m_nPktNo) * 100 / (qint64(m_image.Packets()) + 1));
}
