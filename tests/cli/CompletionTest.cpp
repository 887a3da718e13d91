// vexactl's bash completion, sourced in bash as bash-completion loads it and asked for the
// completions of a command line; what it offers is what vexactl accepts.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "Assignment.h"
#include "CommandLine.h"
#include "CommandSet.h"
#include "ParamTable.h"

namespace {

// Completes the last of the words given after the script's path and prints COMPREPLY.
constexpr char kAsk[] = R"(
source /usr/share/bash-completion/bash_completion && source "$0" || exit 1
COMP_WORDS=(vexactl "$@") COMP_CWORD=$# COMP_LINE="vexactl $*" && COMP_POINT=${#COMP_LINE}
_vexactl vexactl "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
printf '%s\n' "${COMPREPLY[@]}")";

// The completions of `line`'s last word, sorted; a leading backslash taken off if `unquote`.
QStringList Complete(const QString& line, const QString& folder, bool unquote = false) {
    QProcess bash;
    bash.setWorkingDirectory(folder);
    bash.start(QStringLiteral("bash"), QStringList{QStringLiteral("-c"), QLatin1String(kAsk),
                                                   QStringLiteral(VEXACTL_COMPLETION)} +
                                           line.split(QLatin1Char(' ')));
    EXPECT_TRUE(bash.waitForFinished(10000) && bash.exitCode() == 0)
        << "is bash-completion installed? " << bash.readAllStandardError().toStdString();
    QStringList offered =
        QString::fromUtf8(bash.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    for (QString& word : offered)
        if (unquote && word.startsWith(QLatin1Char('\\'))) word.remove(0, 1);
    offered.sort();
    return offered;
}

TEST(Completion, OffersWhatEachPlaceTakes) {
    QTemporaryDir dir;
    for (const char* file : {"image.bin", "notes.txt"})
        QFile(dir.filePath(file)).open(QFile::WriteOnly);
    QDir(dir.path()).mkdir(QStringLiteral("images"));
    QStringList commands{QStringLiteral("help")};
    for (const CommandInfo& command : Commands()) commands << QLatin1String(command.name);
    commands.sort();
    const std::pair<const char*, QStringList> cases[] = {
        {"", commands},
        {"--port COM4 --timeout 500 re", {"read", "reference", "restore"}},  // values skipped
        {"help ", commands},
        {"--port COM2", {"COM2", "COM20"}},
        {"--timeout ", {}},
        {"reference ", {"0", "1", "2", "3"}},
        {"set C=", {}},
        {"restore ", {"image.bin", "images", "notes.txt"}},
        {"export notes.txt ", {}},  // one file only
        {"flash ", {"image.bin", "images"}},
    };
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(Complete(QString::fromLatin1(line), dir.path()), expected) << line;
    // Letters the shell would take are offered quoted, and found again when typed quoted.
    EXPECT_EQ(Complete(QStringLiteral("get \\$"), dir.path()), QStringList{"\\$"});
}

TEST(Completion, OffersTheLettersAndOptionsVexactlAccepts) {
    const QString here = QDir::currentPath();
    QStringList readable, settable;
    for (char letter = '!'; letter <= '~'; ++letter) {
        QString error;
        if (CheckReadableLetter(QString(QLatin1Char(letter)), &error))
            readable << QString(QLatin1Char(letter));
        if (SettableRangeOf(letter)) settable << QString(QLatin1Char(letter)) + QLatin1Char('=');
    }
    readable.sort();
    settable.sort();
    EXPECT_EQ(Complete(QStringLiteral("--demo get C "), here, true), readable);
    EXPECT_EQ(Complete(QStringLiteral("set "), here, true), settable);
    const QStringList valued{"--port", "--com", "--timeout", "--count"};
    const QStringList options = Complete(QStringLiteral("--"), here);
    EXPECT_TRUE(options.contains(QLatin1String("--json")));
    // Each one stands in a usage line: the general ones in vexactl's own, the others in their
    // command's.
    QString usage = GeneralHelp().section(QLatin1Char('\n'), 0, 1);
    for (const CommandInfo& command : Commands())
        usage += QLatin1Char('\n') + QLatin1String(command.synopsis);
    for (const QString& option : options) {
        const QRegularExpression named(QRegularExpression::escape(option) + "(?=[ \\]\n]|$)");
        EXPECT_TRUE(usage.contains(named)) << option.toStdString() << " in\n"
                                           << usage.toStdString();
        QStringList line{option};
        if (valued.contains(option)) line << QStringLiteral("1");
        const ParsedCommandLine parsed = ParseCommandLine(line << QStringLiteral("info"));
        EXPECT_FALSE(parsed.error.startsWith(QLatin1String("unknown option")))
            << option.toStdString();
    }
}

}  // namespace
