// vexactl's bash completion, sourced in bash the way bash-completion loads it and asked for the
// completions of a command line; what it offers is what vexactl accepts.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include "Assignment.h"
#include "CommandLine.h"
#include "CommandSet.h"
#include "ParamTable.h"

namespace {

// Sets up the completion of `words` (the last one being completed) and prints COMPREPLY.
constexpr char kAsk[] = R"(
source /usr/share/bash-completion/bash_completion
source "$0"
COMP_WORDS=("$@")
COMP_CWORD=$(($# - 1))
COMP_LINE="$*"
COMP_POINT=${#COMP_LINE}
_vexactl vexactl "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
printf '%s\n' "${COMPREPLY[@]}"
)";

class CompletionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QFile::exists(QStringLiteral("/usr/share/bash-completion/bash_completion")))
            << "bash-completion is not installed (scripts/install-deps.sh installs it)";
        for (const char* file : {"image.bin", "notes.txt", "saved.txt"}) {
            QFile touch(m_dir.filePath(QString::fromLatin1(file)));
            ASSERT_TRUE(touch.open(QIODevice::WriteOnly));
        }
        ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("images")));
    }

    // The completions of the last word (after "vexactl"), sorted, dequoted where `dequote`.
    QStringList Complete(const QString& line, bool dequote = false) {
        QStringList words = line.split(QLatin1Char(' '));
        words.prepend(QStringLiteral("vexactl"));
        QProcess bash;
        bash.setWorkingDirectory(m_dir.path());
        bash.start(QStringLiteral("bash"), QStringList{QStringLiteral("-c"), QLatin1String(kAsk),
                                                       QStringLiteral(VEXACTL_COMPLETION)} +
                                               words);
        EXPECT_TRUE(bash.waitForFinished(10000));
        EXPECT_EQ(bash.exitCode(), 0) << bash.readAllStandardError().toStdString();
        QStringList offered = QString::fromUtf8(bash.readAllStandardOutput())
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        if (dequote)
            for (QString& word : offered)
                if (word.startsWith(QLatin1Char('\\'))) word.remove(0, 1);
        offered.sort();
        return offered;
    }

    QTemporaryDir m_dir;
};

QStringList Sorted(QStringList words) {
    words.sort();
    return words;
}

TEST_F(CompletionTest, OffersWhatEachPlaceTakes) {
    struct Case {
        const char* line;
        QStringList expected;
    };
    QStringList commands{QStringLiteral("help")};
    for (const CommandInfo& command : Commands()) commands << QLatin1String(command.name);
    QStringList com;
    for (int n = 1; n <= 20; ++n) com << QStringLiteral("COM%1").arg(n);
    const Case cases[] = {
        {"", commands},
        {"--demo --json re", {"read", "reference", "restore"}},
        {"--port COM4 --timeout 500 ", commands},  // option values are no command
        {"help ", commands},
        {"help set ", {}},
        {"--port ", com},
        {"--port COM1",
         {"COM1", "COM10", "COM11", "COM12", "COM13", "COM14", "COM15", "COM16", "COM17", "COM18",
          "COM19"}},
        {"--timeout ", {}},
        {"--com ", {}},
        {"reference ", {"0", "1", "2", "3"}},
        {"reference 2 ", {}},
        {"set C=", {}},  // the value is the user's
        {"restore ", {"image.bin", "images", "notes.txt", "saved.txt"}},
        {"--port COM3 export sa", {"saved.txt"}},
        {"export saved.txt ", {}},
        {"flash ", {"image.bin", "images"}},  // images and folders only
        {"info --j", {"--json"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Complete(QString::fromLatin1(c.line)), Sorted(c.expected)) << c.line;
}

TEST_F(CompletionTest, LettersAreThoseGetAndSetTakeQuotedForTheShell) {
    QStringList readable, settable;
    for (char letter = '!'; letter <= '~'; ++letter) {
        QString error;
        if (CheckReadableLetter(QString(QLatin1Char(letter)), &error))
            readable << QString(QLatin1Char(letter));
        if (SettableRangeOf(letter)) settable << QString(QLatin1Char(letter)) + QLatin1Char('=');
    }
    EXPECT_EQ(Complete(QStringLiteral("get "), true), Sorted(readable));
    EXPECT_EQ(Complete(QStringLiteral("--demo get C "), true), Sorted(readable));
    EXPECT_EQ(Complete(QStringLiteral("set "), true), Sorted(settable));
    // Letters the shell would take are offered quoted, and found again when typed quoted.
    const QStringList get = Complete(QStringLiteral("get "));
    for (const char* quoted : {"\\$", "\\`", "\\(", "\\&", "\\#", "\\!"})
        EXPECT_TRUE(get.contains(QLatin1String(quoted))) << quoted;
    EXPECT_EQ(Complete(QStringLiteral("get \\$")), QStringList{"\\$"});
    EXPECT_EQ(Complete(QStringLiteral("set Q")), QStringList{"Q="});
}

TEST_F(CompletionTest, EveryOptionOfferedIsOneVexactlKnows) {
    const QStringList options = Complete(QStringLiteral("--"));
    EXPECT_GE(options.size(), 9);
    for (const QString& option : options) {
        const QString line = option + (option == QLatin1String("--port")      ? " COM3 info"
                                       : option == QLatin1String("--com")     ? " 3=/dev/null info"
                                       : option == QLatin1String("--timeout") ? " 100 info"
                                       : option == QLatin1String("--count")   ? " 5 monitor"
                                                                              : " info");
        const ParsedCommandLine parsed = ParseCommandLine(line.split(QLatin1Char(' ')));
        EXPECT_NE(parsed.action, ParsedCommandLine::Action::UsageError)
            << line.toStdString() << ": " << parsed.error.toStdString();
        EXPECT_TRUE(GeneralHelp().contains(option)) << option.toStdString();
    }
}

}  // namespace
