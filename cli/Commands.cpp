#include "Commands.h"

#include <algorithm>
#include <map>

#include "BackupFirst.h"
#include "CommandLine.h"
#include "CommandSet.h"
#include "DiffCommand.h"
#include "FileCommands.h"
#include "FlashCommand.h"
#include "Json.h"
#include "KeepParameters.h"
#include "ListEntryText.h"
#include "MonitorCommand.h"
#include "ParamTable.h"
#include "ParameterBackup.h"
#include "ParameterLabel.h"
#include "PortSession.h"
#include "ReadBackChain.h"

namespace {

using namespace std::chrono_literals;
using End = PortSession::End;

constexpr char kVersionLetter = 'V';

QString Letter(char letter) { return QString(QLatin1Char(letter)); }

QString VersionText(const PortSession& session) {
    return FirmwareVersionText(session.FirmwareVersion().value_or(0));
}

int ValueOf(const PortSession& session, char letter) { return session.ValueOf(letter).value_or(0); }

JsonMembers ValueMembers(const PortSession& session, std::string_view letters) {
    JsonMembers members;
    for (char letter : letters)
        members.emplace_back(Letter(letter), QString::number(ValueOf(session, letter)));
    return members;
}

// "C  主稳定度  45", the labels padded to one column.
QStringList LabelledLines(const PortSession& session, std::string_view letters) {
    const NameLanguage language = UserNameLanguage();
    int labelWidth = 0;
    for (char letter : letters)
        labelWidth = std::max(labelWidth, DisplayWidth(ParameterLabel(letter, language)));
    QStringList lines;
    for (char letter : letters) {
        const QString label = ParameterLabel(letter, language);
        const QString value = letter == kVersionLetter ? VersionText(session)
                                                       : QString::number(ValueOf(session, letter));
        lines << QStringLiteral("%1  %2%3  %4")
                     .arg(Letter(letter), label,
                          QString(labelWidth - DisplayWidth(label), QLatin1Char(' ')), value);
    }
    return lines;
}

CommandResult Info(PortSession& session) {
    const End end = session.ReadChosen(QByteArray(1, kVersionLetter));
    if (end != End::Done) return Fault(session, end);
    CommandResult result;
    result.lines << VersionText(session);
    result.json = JsonObject({{QStringLiteral("version"), JsonString(VersionText(session))}});
    return result;
}

CommandResult Read(PortSession& session, const std::function<void(const QString&)>& progress) {
    ShowReadBackProgress(session, progress, QStringLiteral("read"));
    const End end = session.ReadBack();
    if (end != End::Done) return Fault(session, end);
    return ReadBackResult(session);
}

CommandResult Get(PortSession& session, const QByteArray& letters) {
    // The version first: it decides how the gimbal ratios read.
    const End end = session.ReadChosen(kVersionLetter + letters);
    if (end != End::Done) return Fault(session, end);
    CommandResult result;
    const NameLanguage language = UserNameLanguage();
    for (char letter : letters)
        result.lines << QStringLiteral("%1 = %2")
                            .arg(LetterWithName(letter, language))
                            .arg(ValueOf(session, letter));
    result.json = JsonObject(ValueMembers(session, letters.toStdString()));
    return result;
}

// Set: the version and the linked rows the user did not give, then every command with its
// echo, then the read-back of everything written.
class SetRun {
public:
    SetRun(PortSession& session, const std::vector<Assignment>& assignments,
           const std::function<void(const QString&)>& progress)
        : m_session(session), m_assignments(assignments), m_progress(progress) {
        for (const Assignment& a : assignments) m_given[a.letter] = a.shown;
    }

    CommandResult Run() {
        QByteArray before(1, kVersionLetter);
        for (const Assignment& a : m_assignments)
            if (const auto partner = LinkedRowOf(a.letter); partner && !m_given.count(*partner))
                before += *partner;
        // The version read, every write (the linked rows among them), the read-back.
        m_nSteps = int(m_assignments.size() + before.size() - 1) + 2;
        Step(QStringLiteral("reading the version"));
        End end = m_session.ReadChosen(before);
        if (end != End::Done) return Fault(m_session, end);
        for (const Assignment& a : m_assignments) {
            if ((end = Write(a.letter, a.shown)) != End::Done) return Stopped(end);
            const auto partner = LinkedRowOf(a.letter);
            if (!partner || m_given.count(*partner)) continue;
            // As the window does: the other row loses the positions this row now holds.
            if ((end = ClearLinkedRow(a.letter, a.shown, *partner)) != End::Done)
                return Stopped(end);
        }
        Step(QStringLiteral("reading back"));
        if ((end = m_session.ReadChosen(m_order)) != End::Done) return Fault(m_session, end);
        CommandResult result = Compare();
        result.notes << EchoNotes();
        return result;
    }

private:
    // Whether ordinary set commands are echoed is up to the controller: without an echo within
    // the time-out the read-back after the writes judges the value alone.
    End Write(char letter, int shown) {
        Begin(letter);
        m_written[letter] = shown;
        return Echoed(letter, m_session.SetAwaitingEcho(letter, shown));
    }

    End ClearLinkedRow(char letter, int mask, char partner) {
        Begin(partner);
        int& sent = m_written[partner];
        return Echoed(partner, m_session.ClearLinkedRow(letter, mask, sent));
    }

    void Begin(char letter) {
        Step(QStringLiteral("set %1").arg(Letter(letter)));
        m_order += letter;
    }

    End Echoed(char letter, End end) {
        if (end != End::TimedOut) return end;
        m_unechoed += letter;
        return End::Done;
    }

    // Which of the two the command saw for each letter whose echo did not confirm it.
    QStringList EchoNotes() const {
        QStringList notes;
        const NameLanguage language = UserNameLanguage();
        for (char letter : m_order) {
            const QString name = LetterWithName(letter, language);
            if (m_unechoed.contains(letter))
                notes << QStringLiteral(
                             "%1: %2 was not echoed within %3 ms; judged by the read-back")
                             .arg(m_session.PortName(), name)
                             .arg(m_session.Timeout().count());
            else if (const auto echoed = m_session.EchoedOtherValue(letter))
                notes << QStringLiteral("%1: %2 was echoed with %3; judged by the read-back")
                             .arg(m_session.PortName(), name)
                             .arg(*echoed);
        }
        return notes;
    }

    // A write that did not end with its echo; an interruption says what was written.
    CommandResult Stopped(End end) const {
        CommandResult result = Fault(m_session, end);
        if (end != End::Interrupted) return result;
        QStringList done;
        for (char letter : m_order.chopped(1)) done << Letter(letter);
        result.error =
            QStringLiteral(
                "%1: interrupted at %2; %3, %2 and those after it may "
                "not be")
                .arg(m_session.PortName(), Letter(m_order.back()),
                     done.isEmpty() ? QStringLiteral("nothing before it was written")
                                    : done.join(QLatin1String(", ")) + QStringLiteral(" written"));
        return result;
    }

    CommandResult Compare() const {
        CommandResult result;
        JsonMembers written, read;
        QStringList differences;
        const NameLanguage language = UserNameLanguage();
        for (char letter : m_order) {
            const int wanted = m_written.at(letter);
            const int got = ValueOf(m_session, letter);
            written.emplace_back(Letter(letter), QString::number(wanted));
            read.emplace_back(Letter(letter), QString::number(got));
            const QString echo =
                QStringLiteral("%1 = %2").arg(LetterWithName(letter, language)).arg(got);
            if (got == wanted) {
                result.lines << echo;
                continue;
            }
            result.lines << QStringLiteral("%1, differs: %2 was written").arg(echo).arg(wanted);
            differences << JsonObject({{QStringLiteral("letter"), JsonString(Letter(letter))},
                                       {QStringLiteral("written"), QString::number(wanted)},
                                       {QStringLiteral("read"), QString::number(got)}});
        }
        result.json = JsonObject({{QStringLiteral("written"), JsonObject(written)},
                                  {QStringLiteral("readBack"), JsonObject(read)},
                                  {QStringLiteral("differences"), JsonArray(differences)}});
        if (!differences.isEmpty()) {
            result.status = kExitDiffers;
            result.error = QStringLiteral(
                               "%1: %2 of the values read back differ%3 from what was "
                               "written; the controller did not keep them")
                               .arg(m_session.PortName())
                               .arg(differences.size())
                               .arg(differences.size() == 1 ? QStringLiteral("s") : QString());
        }
        return result;
    }

    void Step(const QString& what) {
        ++m_nStep;
        m_progress(QStringLiteral("%1 (%2/%3)").arg(what).arg(m_nStep).arg(m_nSteps));
    }

    PortSession& m_session;
    const std::vector<Assignment>& m_assignments;
    const std::function<void(const QString&)>& m_progress;
    std::map<char, int> m_given;
    std::map<char, int> m_written;
    QByteArray m_order;
    QByteArray m_unechoed;  // letters whose set command was not echoed
    int m_nStep = 0;
    int m_nSteps = 0;
};

CommandResult Reference(PortSession& session, int set,
                        const std::function<void(const QString&)>& progress) {
    ShowReadBackProgress(session, progress, QStringLiteral("reference set %1, read").arg(set));
    // Whether "Sj000N" went out: an interruption before it holds it back.
    bool sent = false;
    const End end = session.RunThenReadBack([&] {
        session.Core().LoadReferenceSet(set);
        sent = true;
    });
    if (end == End::Interrupted) {
        CommandResult result = Fault(session, end);
        result.error = sent ? QStringLiteral(
                                  "%1: interrupted after reference set %2 was loaded; the "
                                  "read-back after it did not finish")
                                  .arg(session.PortName())
                                  .arg(set)
                            : QStringLiteral(
                                  "%1: interrupted before the reference set was loaded; "
                                  "nothing was sent")
                                  .arg(session.PortName());
        return result;
    }
    if (end != End::Done) return Fault(session, end);
    return ReadBackResult(session, {{QStringLiteral("reference"), QString::number(set)}});
}

bool PrepareReference(const QString& text, int* set, QString* error) {
    bool ok = false;
    *set = text.toInt(&ok);
    if (ok && *set >= 0 && *set <= 3 && text.size() == 1) return true;
    *error = QStringLiteral(
                 "reference %1: the controller holds the reference sets 0 to 3; nothing "
                 "was sent")
                 .arg(text);
    return false;
}

}  // namespace

void ShowReadBackProgress(PortSession& session, const std::function<void(const QString&)>& progress,
                          const QString& what) {
    const int total = int(kReadBackOrder.size());
    const int before = session.Replies();
    session.onProgress = [&session, progress, what, total, before] {
        progress(QStringLiteral("%1 %2/%3")
                     .arg(what)
                     .arg(std::min(session.Replies() - before, total))
                     .arg(total));
    };
}

CommandResult Fault(const PortSession& session, End end) {
    CommandResult result;
    result.status = end == End::Interrupted ? kExitInterrupted : kExitLineFault;
    result.error = session.Describe(end);
    return result;
}

CommandResult ReadBackResult(const PortSession& session, JsonMembers leading,
                             const JsonMembers& trailing) {
    CommandResult result;
    result.lines = LabelledLines(session, kReadBackOrder);
    leading.emplace_back(QStringLiteral("version"), JsonString(VersionText(session)));
    const std::string_view letters = kReadBackOrder.substr(1);
    leading.emplace_back(QStringLiteral("parameters"), JsonObject(ValueMembers(session, letters)));
    leading.emplace_back(QStringLiteral("names"),
                         JsonObject(NameMembers(letters, UserNameLanguage())));
    leading.emplace_back(QStringLiteral("texts"),
                         JsonObject(ListTextMembers(letters, [&session](char letter) {
                             return ValueOf(session, letter);
                         })));
    leading.insert(leading.end(), trailing.begin(), trailing.end());
    result.json = JsonObject(leading);
    return result;
}

bool PrepareCommand(const Invocation& invocation, PreparedCommand* prepared, QString* error) {
    const QString name = QLatin1String(invocation.command->name);
    if (name == QLatin1String("set")) {
        prepared->assignments = ParseAssignments(invocation.arguments, error);
        return !prepared->assignments.empty();
    }
    if (name == QLatin1String("get")) {
        for (const QString& argument : invocation.arguments) {
            if (!CheckReadableLetter(argument, error)) return false;
            if (!prepared->letters.contains(argument.toLatin1()))
                prepared->letters += argument.toLatin1();
        }
        return true;
    }
    if (name == QLatin1String("reference"))
        return PrepareReference(invocation.arguments.value(0), &prepared->referenceSet, error);
    prepared->file = invocation.arguments.value(0);
    if (name == QLatin1String("export"))
        return PrepareExport(prepared->file, invocation.force, error);
    if (name == QLatin1String("restore") || name == QLatin1String("diff"))
        return PrepareRestore(prepared->file, &prepared->restoreValues, error);
    if (name == QLatin1String("flash"))
        return PrepareFlash(prepared->file, &prepared->image, error);
    return true;
}

namespace {

// The backup's name for a command that overwrites many parameters at once; empty for the others
// (flash --keep-parameters reads and backs up on its own, restore --dry-run writes nothing).
QString BackupAction(const Invocation& invocation) {
    const QString name = QLatin1String(invocation.command->name);
    if (name == QLatin1String("restore") && !invocation.dryRun) return name;
    if (name == QLatin1String("reference")) return name;
    if (name == QLatin1String("flash") && !invocation.keepParameters)
        return QStringLiteral("upgrade");
    return {};
}

CommandResult RunCommand(const Invocation& invocation, const PreparedCommand& prepared,
                         PortSession& session, const CommandOutput& output,
                         const QString& backupPath);

}  // namespace

CommandResult RunControllerCommand(const Invocation& invocation, const PreparedCommand& prepared,
                                   PortSession& session, const CommandOutput& output) {
    const QString action = BackupAction(invocation);
    if (action.isEmpty() || invocation.noBackup)
        return RunCommand(invocation, prepared, session, output, {});
    QStringList notes;
    BackupOutcome backup;
    if (std::optional<CommandResult> stopped =
            BackUpFirst(session, DefaultBackupFolder(invocation.demo), action, output.progress,
                        &notes, &backup))
        return *stopped;
    CommandResult result = RunCommand(invocation, prepared, session, output, backup.path);
    result.notes = notes + result.notes;
    return result;
}

namespace {

CommandResult RunCommand(const Invocation& invocation, const PreparedCommand& prepared,
                         PortSession& session, const CommandOutput& output,
                         const QString& backupPath) {
    const QString name = QLatin1String(invocation.command->name);
    const auto& progress = output.progress;
    if (name == QLatin1String("info")) return Info(session);
    if (name == QLatin1String("read")) return Read(session, progress);
    if (name == QLatin1String("get")) return Get(session, prepared.letters);
    if (name == QLatin1String("set")) return SetRun(session, prepared.assignments, progress).Run();
    if (name == QLatin1String("reference"))
        return Reference(session, prepared.referenceSet, progress);
    if (name == QLatin1String("export"))
        return Export(session, prepared.file, invocation.force, progress);
    if (name == QLatin1String("diff") || (name == QLatin1String("restore") && invocation.dryRun))
        return Diff(session, prepared.restoreValues, progress);
    if (name == QLatin1String("restore"))
        return Restore(session, prepared.file, prepared.restoreValues, progress, backupPath);
    if (name == QLatin1String("flash") && invocation.keepParameters)
        return FlashKeepingParameters(
            session, prepared.image,
            invocation.noBackup ? QString() : DefaultBackupFolder(invocation.demo), progress);
    if (name == QLatin1String("flash")) return Flash(session, prepared.image, progress);
    if (name == QLatin1String("monitor")) return Monitor(session, invocation, output);
    CommandResult result;
    result.status = kExitUsage;
    result.error = QStringLiteral("%1 does not talk to a controller").arg(name);
    return result;
}

}  // namespace
