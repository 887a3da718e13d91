#include "FileCommands.h"

#include <QFileInfo>
#include <span>
#include <variant>

#include "BulkWriteChain.h"
#include "ParamTable.h"
#include "ParameterExport.h"
#include "ParameterRestore.h"
#include "ReadBackChain.h"

namespace {

using End = PortSession::End;

constexpr char kStdout[] = "-";

QString Letter(char letter) { return QString(QLatin1Char(letter)); }

// A letter's value in the cache or in a file's values (both by cache slot): the slot, or the
// mask of a bit field's slots.
int ValueAt(char letter, std::span<const int> cells) {
    if (BitCountOf(letter) > 0) return MaskFromCache(letter, cells);
    const std::optional<int> slot = CacheSlotOf(letter);
    return slot && *slot < int(cells.size()) ? cells[*slot] : 0;
}

CommandResult Refused(const QString& error) {
    CommandResult result;
    result.status = kExitRefused;
    result.error = error;
    return result;
}

// The session's restore with every link of the bulk write on the progress line; a restore that
// waits in vain for an echo ends the wait.
class RestoreRun {
public:
    RestoreRun(PortSession& session, const std::function<void(const QString&)>& progress)
        : m_session(session), m_progress(progress) {
        session.onBulkWriteLinkSent = [this](char) {
            m_progress(QStringLiteral("restore %1/%2").arg(++m_nSent).arg(kLinks));
        };
        session.onChainEnded = [this](const ChainEnd& end) {
            if (end.chain != Chain::Restore || end.result != ChainResult::NoAnswer) return;
            m_cStopped = end.letter;
            m_session.CheckDone();
        };
    }
    ~RestoreRun() {
        m_session.onBulkWriteLinkSent = nullptr;
        m_session.onChainEnded = nullptr;
    }

    End Run(const ParameterValues& values) {
        return m_session.RunThenReadBack([&] { m_session.Core().Restore(values); },
                                         [this] { return m_cStopped != 0; });
    }
    char Stopped() const { return m_cStopped; }

private:
    // The announcement and one link per value.
    static constexpr int kLinks = int(kBulkWriteOrder.size()) + 1;

    PortSession& m_session;
    const std::function<void(const QString&)>& m_progress;
    int m_nSent = 0;
    char m_cStopped = 0;
};

}  // namespace

bool PrepareExport(const QString& file, QString* error) {
    if (file == QLatin1String(kStdout)) return true;
    const QFileInfo info(file);
    const QFileInfo folder(info.absolutePath());
    if (info.isDir())
        *error = QStringLiteral(
                     "%1 is a folder: give the name of the file to write; nothing was "
                     "sent")
                     .arg(file);
    else if (!folder.isDir())
        *error = QStringLiteral("the folder %1 does not exist; nothing was sent")
                     .arg(info.absolutePath());
    else if (!folder.isWritable() || (info.exists() && !info.isWritable()))
        *error = QStringLiteral("%1 cannot be written by this user; nothing was sent").arg(file);
    else
        return true;
    return false;
}

bool PrepareRestore(const QString& file, ParameterValues* values, QString* error) {
    const auto loaded = LoadParameterFile(file);
    if (const auto* reason = std::get_if<QString>(&loaded)) {
        *error = QStringLiteral("cannot read %1 (%2); nothing was sent").arg(file, *reason);
        return false;
    }
    const auto read = ReadParameterFile(std::get<QByteArray>(loaded));
    if (const auto* problem = std::get_if<FileProblem>(&read)) {
        *error = QStringLiteral("%1 cannot be restored, nothing was sent: %2")
                     .arg(file, problem->Describe(true));
        return false;
    }
    *values = std::get<ParameterValues>(read);
    return true;
}

CommandResult Export(PortSession& session, const QString& file,
                     const std::function<void(const QString&)>& progress) {
    ShowReadBackProgress(session, progress, QStringLiteral("read"));
    const End end = session.ReadBack();
    if (end != End::Done) return Fault(session, end);
    const QByteArray bytes =
        ParameterFileBytes(session.State().m_nParamCache, session.PortNumber());
    CommandResult result;
    if (file == QLatin1String(kStdout)) {
        result.raw = bytes;
        return result;
    }
    if (const std::optional<QString> reason = SaveParameterFile(file, bytes))
        return Refused(QStringLiteral("%1 was not written (%2)").arg(file, *reason));
    const QString version = FirmwareVersionText(session.FirmwareVersion().value_or(0));
    result.lines << QStringLiteral("%1: %2 bytes, COM%3, firmware %4")
                        .arg(file)
                        .arg(bytes.size())
                        .arg(session.PortNumber())
                        .arg(version);
    result.json = JsonObject({{QStringLiteral("file"), JsonString(file)},
                              {QStringLiteral("bytes"), QString::number(bytes.size())},
                              {QStringLiteral("com"), QString::number(session.PortNumber())},
                              {QStringLiteral("version"), JsonString(version)}});
    return result;
}

CommandResult Restore(PortSession& session, const QString& file,
                      const ParameterValues& values,
                      const std::function<void(const QString&)>& progress) {
    RestoreRun run(session, progress);
    ShowReadBackProgress(session, progress, QStringLiteral("restored, read"));
    const End end = run.Run(values);
    if (end != End::Done) return Fault(session, end);
    if (const char letter = run.Stopped()) {
        CommandResult result;
        result.status = kExitLineFault;
        result.error = QStringLiteral(
                           "%1: no echo of %2 within %3 s; the values before it are in "
                           "the controller, this one and those after it may not be: "
                           "check the connection and restore the file again")
                           .arg(session.PortName(), RestoreLinkName(letter, true))
                           .arg(CControllerSession::kRestoreEchoTimeout.count() / 1000.0);
        return result;
    }
    // The read-back after the bulk write has filled the cache: every letter sent is compared.
    const std::span<const int> cache = session.State().m_nParamCache;
    const std::string differing = LettersNotRestored(values, cache);
    QStringList differences, lines;
    for (char letter : differing) {
        const int restored = ValueAt(letter, values);
        const int read = ValueAt(letter, cache);
        differences << JsonObject({{QStringLiteral("letter"), JsonString(Letter(letter))},
                                   {QStringLiteral("restored"), QString::number(restored)},
                                   {QStringLiteral("read"), QString::number(read)}});
        lines << QStringLiteral("%1 differs: %2 was restored, %3 read back")
                     .arg(Letter(letter))
                     .arg(restored)
                     .arg(read);
    }
    CommandResult result =
        ReadBackResult(session, {{QStringLiteral("file"), JsonString(file)}},
                       {{QStringLiteral("differences"), JsonArray(differences)}});
    result.lines << lines;
    if (!differing.empty()) {
        result.status = kExitDiffers;
        result.error = QStringLiteral("%1: %2 restored value%3 read back otherwise (%4)")
                           .arg(session.PortName())
                           .arg(differing.size())
                           .arg(differing.size() == 1 ? QString() : QStringLiteral("s"))
                           .arg(QString::fromStdString(differing));
    }
    return result;
}
