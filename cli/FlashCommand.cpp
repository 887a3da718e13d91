#include "FlashCommand.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "FirmwareUpload.h"
#include "IUploadListener.h"

namespace {

using namespace std::chrono_literals;
using End = PortSession::End;

// The session's own bound stays behind the upload's, so that a silent boot loader is reported
// by the upload, with the step it was in.
constexpr auto kBeyondUploadTimeout = FirmwareUpload::kAnswerTimeout + 1000ms;

QString Hex(quint32 value) { return QStringLiteral("0x%1").arg(value, 8, 16, QLatin1Char('0')); }

// What went wrong, in one sentence with what to do.
QString Failure(const UploadOutcome& o) {
    switch (o.result) {
        case UploadResult::WrongAck:
            return QStringLiteral(
                       "the boot loader answered packet %1 with %2 instead of %3; the "
                       "controller stays in its boot loader: flash again")
                .arg(o.packet - 1)
                .arg(o.ackNo)
                .arg(o.packet);
        case UploadResult::ChecksumMismatch:
            return QStringLiteral(
                       "the boot loader's checksum %1 differs from the sum %2 of the "
                       "bytes sent; the firmware is not confirmed: flash again")
                .arg(Hex(o.ackSum), Hex(o.sentSum));
        case UploadResult::TimedOut:
            return o.stage == UploadStage::DeviceTag
                       ? QStringLiteral(
                             "no device tag (QZMC or QZEC) came in answer to \"?W\" "
                             "within %1 s; check that the controller is connected "
                             "and powered")
                             .arg(FirmwareUpload::kAnswerTimeout.count() / 1000)
                       : QStringLiteral(
                             "the boot loader did not answer within %1 s (after packet "
                             "%2 of %3); flash again")
                             .arg(FirmwareUpload::kAnswerTimeout.count() / 1000)
                             .arg(o.packet)
                             .arg(o.packets + 2);
        case UploadResult::LineLost:
            return QStringLiteral(
                       "the line was lost during the upload (%1); check the cable and "
                       "flash again")
                .arg(o.detail);
        case UploadResult::Replaced:
            return QStringLiteral(
                "the upload was broken off by another request; the controller stays in its "
                "boot loader: flash again");
        case UploadResult::Succeeded:
            break;
    }
    return {};
}

class FlashRun : public IUploadListener {
public:
    FlashRun(PortSession& session, const std::function<void(const QString&)>& progress)
        : m_session(session),
          m_progress(progress),
          m_otherEnds(std::exchange(session.onChainEnded, [this](const ChainEnd& end) {
              if (end.upload)
                  OnUploadEnded(*end.upload);
              else if (m_otherEnds)
                  m_otherEnds(end);
          })) {}
    ~FlashRun() override { m_session.onChainEnded = std::move(m_otherEnds); }
    FlashRun(const FlashRun&) = delete;
    FlashRun& operator=(const FlashRun&) = delete;

    // The upload, and after its confirmation the read-back the session starts by itself; a
    // failed upload ends the wait at once.
    End Run(const FirmwareImage& image, std::chrono::milliseconds readBackTimeout) {
        m_readBackTimeout = readBackTimeout;
        return m_session.RunThenReadBack(
            [&] { m_session.Core().StartUpload(image, *this); },
            [this] { return m_outcome && m_outcome->result != UploadResult::Succeeded; });
    }
    const std::optional<UploadOutcome>& Outcome() const { return m_outcome; }
    // The packet last sent and the packets of the whole upload (start and end included).
    quint32 LastPacket() const { return m_nLastPacket; }
    quint32 Packets() const { return m_nPackets; }

private:
    void OnUploadProgress(const UploadProgress& p) override {
        m_nLastPacket = p.packet;
        m_nPackets = p.packets + 2;
        if (p.percent == m_nShownPercent) return;
        m_nShownPercent = p.percent;
        m_progress(QStringLiteral("flash %1% (packet %2 of %3)")
                       .arg(std::min(p.percent, 100))
                       .arg(p.packet)
                       .arg(p.packets + 2));
    }
    // The session's end of the upload: a confirmed upload is followed by the read-back.
    void OnUploadEnded(const UploadOutcome& outcome) {
        m_outcome = outcome;
        if (outcome.result == UploadResult::Succeeded) {
            m_session.SetTimeout(m_readBackTimeout);
            ShowReadBackProgress(m_session, m_progress, QStringLiteral("flashed, read"));
        }
        m_session.CheckDone();
    }

    PortSession& m_session;
    const std::function<void(const QString&)>& m_progress;
    // Who heard the ends of chains before: it hears every end but the upload's.
    std::function<void(const ChainEnd&)> m_otherEnds;
    std::optional<UploadOutcome> m_outcome;
    int m_nShownPercent = -1;
    std::chrono::milliseconds m_readBackTimeout{};
    quint32 m_nLastPacket = 0;
    quint32 m_nPackets = 0;
};

// Where an interrupted upload left the controller: the boot loader has taken the upgrade word
// ("UPQZMC") once the upload has gone past the ready word's wait, or is in that wait.
FlashStop WhereStopped(const FlashRun& run, PortSession& session) {
    const std::optional<UploadOutcome>& o = run.Outcome();
    if (o && o->result == UploadResult::Succeeded) return FlashStop::AfterUpload;
    const std::optional<UploadStage> stage = o ? o->stage : session.Core().UploadStageNow();
    const bool inBootLoader = stage && *stage >= (o ? UploadStage::Data : UploadStage::BootReady);
    return inBootLoader ? FlashStop::InBootLoader : FlashStop::BeforeUpload;
}

// An interruption taken before the next frame of the upload: what the controller holds now and
// what to do.
QString Interrupted(FlashStop stop, const FlashRun& run, const PortSession& session,
                    const FirmwareImage& image) {
    switch (stop) {
        case FlashStop::AfterUpload:
            return QStringLiteral(
                       "%1: interrupted after the upload: %2 is confirmed, the read-back after "
                       "it did not finish")
                .arg(session.PortName(), image.Path());
        case FlashStop::InBootLoader:
            return QStringLiteral(
                       "%1: interrupted during the upload (after packet %2 of %3); the "
                       "controller waits in its boot loader with part of the firmware: run "
                       "vexactl flash %4 again")
                .arg(session.PortName())
                .arg(run.LastPacket())
                .arg(run.Packets())
                .arg(image.Path());
        case FlashStop::BeforeUpload:
        case FlashStop::None:
            break;
    }
    return QStringLiteral(
               "%1: interrupted before the upload; nothing was sent that changes "
               "the controller")
        .arg(session.PortName());
}

}  // namespace

bool PrepareFlash(const QString& file, FirmwareImage* image, QString* error) {
    switch (image->Load(file)) {
        case FirmwareCheck::Ok:
            return true;
        case FirmwareCheck::NoFileChosen:
            *error = QStringLiteral("no firmware file given; nothing was sent");
            break;
        case FirmwareCheck::NotFirmware:
            *error = QStringLiteral(
                         "%1 is no firmware file: its name must end in \"bin\"; "
                         "nothing was sent")
                         .arg(file);
            break;
        case FirmwareCheck::Corrupt:
            if (FirmwareImage::IsTooLarge(file)) {
                *error = QStringLiteral(
                             "%1 is too large: a firmware file holds at most %2 bytes; "
                             "nothing was sent")
                             .arg(file)
                             .arg(FirmwareImage::kLargestFile);
                break;
            }
            *error = QStringLiteral(
                         "%1 cannot be flashed: it must be a readable file of 2 to "
                         "%2 bytes; nothing was sent")
                         .arg(file)
                         .arg(FirmwareImage::kBufferSize - 1);
            break;
    }
    return false;
}

CommandResult Flash(PortSession& session, const FirmwareImage& image,
                    const std::function<void(const QString&)>& progress, FlashStop* stop) {
    const std::chrono::milliseconds timeout = session.Timeout();
    session.SetTimeout(std::max<std::chrono::milliseconds>(timeout, kBeyondUploadTimeout));
    std::optional<UploadOutcome> outcome;
    {
        FlashRun run(session, progress);
        const End end = run.Run(image, timeout);
        session.SetTimeout(timeout);
        if (end == End::Interrupted) {
            const FlashStop where = WhereStopped(run, session);
            if (stop) *stop = where;
            CommandResult result;
            result.status = kExitInterrupted;
            result.error = Interrupted(where, run, session, image);
            return result;
        }
        outcome = run.Outcome();
        if (outcome && outcome->result != UploadResult::Succeeded) {
            CommandResult result;
            result.status = kExitLineFault;
            result.error = QStringLiteral("%1: %2").arg(session.PortName(), Failure(*outcome));
            return result;
        }
        if (end != End::Done) return Fault(session, end);
    }
    const QString summary = QStringLiteral("%1: %2 bytes in %3 packets, checksum %4 confirmed")
                                .arg(image.Path())
                                .arg(image.Total() - 1)
                                .arg(image.Packets() + 2)
                                .arg(Hex(outcome->sentSum));
    CommandResult result =
        ReadBackResult(session, {{QStringLiteral("file"), JsonString(image.Path())},
                                 {QStringLiteral("bytes"), QString::number(image.Total() - 1)},
                                 {QStringLiteral("packets"), QString::number(image.Packets() + 2)},
                                 {QStringLiteral("checksum"), QString::number(outcome->sentSum)}});
    result.lines.prepend(summary);
    return result;
}
