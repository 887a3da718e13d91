#include "CommandLine.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <map>

#include "ComPortTable.h"
#include "CommandSet.h"

namespace {

constexpr int kLongestTimeoutMs = 3'600'000;

// A device as the system finds it: a link (/dev/serial/by-id/...) leads to its device, a
// path is made absolute; a device that is not there is taken as written.
QString SameDeviceKey(const QString& device) {
    const QFileInfo info(device);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

class Parser {
public:
    explicit Parser(const QStringList& arguments) : m_args(arguments) {}

    ParsedCommandLine Parse() {
        QStringList positional;
        bool optionsEnded = false;
        for (m_at = 0; m_at < m_args.size() && m_result.error.isEmpty(); ++m_at) {
            const QString& argument = m_args[m_at];
            if (!optionsEnded && argument == QLatin1String("--")) {
                optionsEnded = true;
            } else if (!optionsEnded && argument.size() > 1 && argument[0] == QLatin1Char('-')) {
                Option(argument);
            } else {
                positional << argument;
            }
        }
        if (!m_result.error.isEmpty()) return Fail(m_result.error);
        if (!positional.isEmpty() && positional.front() == QLatin1String("help")) {
            m_bHelp = true;
            positional.removeFirst();
        }
        if (!positional.isEmpty()) {
            m_inv.command = FindCommand(positional.front());
            if (!m_inv.command)
                return Fail(QStringLiteral("\"%1\" is no command").arg(positional.front()));
            m_inv.arguments = positional.mid(1);
        }
        if (m_bHelp) {
            m_result.action = ParsedCommandLine::Action::Help;
            m_result.helpFor = m_inv.command;
            return m_result;
        }
        if (m_bVersion) {
            m_result.action = ParsedCommandLine::Action::Version;
            return m_result;
        }
        if (!m_inv.command) return Fail(QStringLiteral("no command given"));
        const QString problem = Check();
        if (!problem.isEmpty()) return Fail(problem);
        m_result.action = ParsedCommandLine::Action::Run;
        m_result.invocation = m_inv;
        return m_result;
    }

private:
    void Option(const QString& argument) {
        const qsizetype eq = argument.indexOf(QLatin1Char('='));
        const QString name =
            argument.startsWith(QLatin1String("--")) && eq > 0 ? argument.left(eq) : argument;
        const bool inlineValue = name.size() != argument.size();
        auto value = [&]() -> QString {
            if (inlineValue) return argument.mid(eq + 1);
            if (m_at + 1 < m_args.size()) return m_args[++m_at];
            m_result.error = QStringLiteral("%1 needs a value").arg(name);
            return {};
        };
        auto flag = [&](bool& target) {
            if (inlineValue)
                m_result.error = QStringLiteral("%1 takes no value").arg(name);
            else
                target = true;
        };
        if (name == QLatin1String("--port")) {
            m_inv.ports << value();
        } else if (name == QLatin1String("--com")) {
            m_inv.comAssignments << value();
        } else if (name == QLatin1String("--timeout")) {
            Timeout(value());
        } else if (name == QLatin1String("--count")) {
            Count(value());
        } else if (name == QLatin1String("--port-file")) {
            m_inv.portFile = value();
            if (m_inv.portFile.isEmpty() && m_result.error.isEmpty())
                m_result.error = QStringLiteral("--port-file needs a file name");
        } else if (name == QLatin1String("--force")) {
            flag(m_inv.force);
        } else if (name == QLatin1String("--demo")) {
            flag(m_inv.demo);
        } else if (name == QLatin1String("--json")) {
            flag(m_inv.json);
        } else if (name == QLatin1String("--csv")) {
            flag(m_inv.csv);
        } else if (name == QLatin1String("--no-backup")) {
            flag(m_inv.noBackup);
        } else if (name == QLatin1String("--dry-run")) {
            flag(m_inv.dryRun);
        } else if (name == QLatin1String("--keep-parameters")) {
            flag(m_inv.keepParameters);
        } else if (name == QLatin1String("--quiet")) {
            flag(m_inv.quiet);
        } else if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
            flag(m_bHelp);
        } else if (name == QLatin1String("--version")) {
            flag(m_bVersion);
        } else {
            m_result.error = QStringLiteral("unknown option %1").arg(name);
        }
    }

    void Timeout(const QString& text) {
        if (!m_result.error.isEmpty()) return;
        bool ok = false;
        const int ms = text.toInt(&ok);
        if (!ok || ms < 1 || ms > kLongestTimeoutMs)
            m_result.error = QStringLiteral(
                                 "--timeout %1: give the milliseconds to wait for a "
                                 "reply, 1 to %2")
                                 .arg(text)
                                 .arg(kLongestTimeoutMs);
        else
            m_inv.timeout = std::chrono::milliseconds(ms);
    }

    void Count(const QString& text) {
        if (!m_result.error.isEmpty()) return;
        bool ok = false;
        m_inv.count = text.toInt(&ok);
        m_bCount = true;
        if (!ok || m_inv.count < 1)
            m_result.error =
                QStringLiteral("--count %1: give the number of frames, 1 or more").arg(text);
    }

    QString Check() const {
        const CommandInfo& command = *m_inv.command;
        const int count = int(m_inv.arguments.size());
        if (count < command.minArguments ||
            (command.maxArguments >= 0 && count > command.maxArguments))
            return QStringLiteral("wrong number of arguments: vexactl %1")
                .arg(QLatin1String(command.synopsis));
        if (m_bCount && QLatin1String(command.name) != QLatin1String("monitor"))
            return QStringLiteral("--count belongs to monitor");
        if (m_inv.csv && QLatin1String(command.name) != QLatin1String("monitor"))
            return QStringLiteral("--csv belongs to monitor");
        if (m_inv.csv && m_inv.json) return QStringLiteral("--csv and --json exclude each other");
        if (m_inv.dryRun && QLatin1String(command.name) != QLatin1String("restore"))
            return QStringLiteral("--dry-run belongs to restore");
        if (m_inv.dryRun && m_inv.noBackup)
            return QStringLiteral("--dry-run and --no-backup exclude each other");
        if (m_inv.keepParameters && QLatin1String(command.name) != QLatin1String("flash"))
            return QStringLiteral("--keep-parameters belongs to flash");
        if (m_inv.force && QLatin1String(command.name) != QLatin1String("export"))
            return QStringLiteral("--force belongs to export");
        if (!command.usesPort && !m_inv.ports.isEmpty())
            return QStringLiteral("%1 takes no --port").arg(QLatin1String(command.name));
        if (!command.manyPorts && m_inv.ports.size() > 1)
            return QStringLiteral("%1 runs on one port: give --port once")
                .arg(QLatin1String(command.name));
        ComPortTable probe;
        if (const QString problem = probe.ApplyOptions(m_inv.comAssignments); !problem.isEmpty())
            return problem;
        // Each port by the device it leads to (through --com and links): the same device given
        // twice would be opened twice, the second open refused as in use.
        std::map<QString, QString> seen;
        for (const QString& port : m_inv.ports) {
            if (port.isEmpty()) return QStringLiteral("--port needs a value");
            int number = 0;
            if (port.startsWith(QLatin1String("COM"), Qt::CaseInsensitive) &&
                !IsComName(port, &number))
                return QStringLiteral("--port %1: the COM ports are COM%2 to COM%3")
                    .arg(port)
                    .arg(ComPortTable::kFirstPort)
                    .arg(ComPortTable::kLastPort);
            const QString device = SameDeviceKey(number ? probe.DeviceOf(number) : port);
            if (const auto found = seen.find(device); found != seen.end()) {
                if (found->second.compare(port, Qt::CaseInsensitive) == 0)
                    return QStringLiteral("--port %1 is given twice").arg(port);
                return QStringLiteral(
                           "--port %1 and --port %2 are the same device (%3): give "
                           "it once")
                    .arg(found->second, port, device);
            }
            seen.emplace(device, port);
        }
        return {};
    }

    ParsedCommandLine Fail(const QString& error) {
        m_result.action = ParsedCommandLine::Action::UsageError;
        m_result.error = error;
        return m_result;
    }

    const QStringList& m_args;
    qsizetype m_at = 0;
    Invocation m_inv;
    ParsedCommandLine m_result;
    bool m_bHelp = false;
    bool m_bVersion = false;
    bool m_bCount = false;
};

}  // namespace

ParsedCommandLine ParseCommandLine(const QStringList& arguments) {
    return Parser(arguments).Parse();
}

bool IsComName(const QString& port, int* number) {
    static const QRegularExpression com(QStringLiteral("^COM([0-9]{1,2})$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = com.match(port);
    if (!match.hasMatch()) return false;
    const int n = match.captured(1).toInt();
    if (n < ComPortTable::kFirstPort || n > ComPortTable::kLastPort) return false;
    if (number) *number = n;
    return true;
}

QString GeneralHelp() {
    QString text = QStringLiteral(
        "Usage: vexactl [--port P]... [--com N=DEVICE]... [--port-file FILE] [--demo] [--json] "
        "[--quiet] [--timeout MS] COMMAND [ARGS]\n"
        "  or:  vexactl help [COMMAND] | -h | --help | --version\n"
        "The Pellar flight controller from the command line, on the same protocol core as "
        "vexa.\n\n"
        "Commands:\n");
    // A longer synopsis has its summary on the next line.
    constexpr int kWidestInColumn = 26;
    int width = 0;
    for (const CommandInfo& command : Commands())
        if (int(qstrlen(command.synopsis)) <= kWidestInColumn)
            width = std::max(width, int(qstrlen(command.synopsis)) + 2);
    for (const CommandInfo& command : Commands()) {
        const QLatin1String synopsis(command.synopsis);
        if (synopsis.size() > kWidestInColumn)
            text += QStringLiteral("  %1\n  %2").arg(synopsis).arg(QString(), -width);
        else
            text += QStringLiteral("  %1").arg(synopsis, -width);
        text += QLatin1String(command.summary) + QLatin1Char('\n');
    }
    text += QStringLiteral(
        "\nOptions:\n"
        "  --port P          COMn (n = 1-20, through the COM table and --com) or a device\n"
        "                    path; default: the port in the window's port file, else\n"
        "                    COM3. Given several times, the command runs on every port at\n"
        "                    once (%1)\n"
        "  --com N=DEVICE    COMN opens DEVICE (repeatable); default COM1-COM10 =\n"
        "                    /dev/ttyUSB0-9, COM11-COM20 = /dev/ttyACM0-9\n"
        "  --demo            talk to the built-in simulated controller, no hardware\n"
        "  --json            results as one JSON document on stdout (monitor: one per frame)\n"
        "  --quiet           no progress on stderr (shown only when stderr is a terminal)\n"
        "  --timeout MS      how long to wait for any one reply (default 1000)\n"
        "  --count N         monitor: end after N live frames\n"
        "  --csv             monitor: comma-separated values, a header line first\n"
        "  --force           export: replace FILE even when it is read-only (its mode stays)\n"
        "  --port-file FILE  the window's port file (default: qzmcconfig.ini in\n"
        "                    ~/.config/Vexa or $XDG_CONFIG_HOME/Vexa, else in the\n"
        "                    current directory)\n"
        "  --no-backup       no read and backup before restore, reference and flash\n"
        "  --dry-run         restore: compare the file with the controller, send nothing\n"
        "  --keep-parameters flash: read, back up, flash, put changed values back\n"
        "  -h, --help        this text; vexactl help COMMAND or COMMAND --help for one command\n"
        "  --version         the version\n\n"
        "Exit status: 0 success, 2 usage, 3 refused input (nothing was sent), 4 line or\n"
        "device fault, or a file or stdout that could not be written, 5 read-back differs\n"
        "from what was written; with several ports the\n"
        "highest of them. 130 when interrupted by Ctrl-C, SIGTERM or SIGHUP (monitor: 0).\n");
    QStringList many;
    for (const CommandInfo& command : Commands())
        if (command.manyPorts) many << QLatin1String(command.name);
    return text.arg(many.join(QLatin1String(", ")));
}

QString CommandHelp(const CommandInfo& command) {
    return QStringLiteral("Usage: vexactl [options] %1\n%2")
        .arg(QLatin1String(command.synopsis), QString::fromUtf8(command.details));
}
