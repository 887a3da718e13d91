// vexactl's command line: what it runs, and every way it is refused as a usage error.
#include <gtest/gtest.h>

#include "CommandLine.h"
#include "CommandSet.h"

namespace {

using Action = ParsedCommandLine::Action;

ParsedCommandLine Parse(const QString& line) {
    return ParseCommandLine(line.split(QLatin1Char(' '), Qt::SkipEmptyParts));
}

TEST(CommandLine, ReadsOptionsBeforeAndAfterTheCommand) {
    const ParsedCommandLine parsed =
        Parse("--port COM4 --port=/dev/pts/7 read --json --timeout=250 --com 4=/dev/pts/9 --quiet");
    ASSERT_EQ(parsed.action, Action::Run) << parsed.error.toStdString();
    const Invocation& inv = parsed.invocation;
    EXPECT_STREQ(inv.command->name, "read");
    EXPECT_EQ(inv.ports, (QStringList{"COM4", "/dev/pts/7"}));
    EXPECT_EQ(inv.comAssignments, QStringList{"4=/dev/pts/9"});
    EXPECT_TRUE(inv.json);
    EXPECT_TRUE(inv.quiet);
    EXPECT_FALSE(inv.demo);
    EXPECT_EQ(inv.timeout.count(), 250);

    // After "--" everything is an argument; a value may start with a minus sign.
    const ParsedCommandLine set = Parse("--demo set C=45 Q=-3 -- -x");
    ASSERT_EQ(set.action, Action::Run);
    EXPECT_EQ(set.invocation.arguments, (QStringList{"C=45", "Q=-3", "-x"}));
    EXPECT_EQ(set.invocation.timeout.count(), 1000);

    const ParsedCommandLine monitor = Parse("monitor --count 25 --csv");
    ASSERT_EQ(monitor.action, Action::Run);
    EXPECT_EQ(monitor.invocation.count, 25);
    EXPECT_TRUE(monitor.invocation.csv);
    EXPECT_EQ(Parse("--port COM1 --port COM2 flash a.bin").action, Action::Run);
}

TEST(CommandLine, HelpAndVersion) {
    struct Case {
        const char* line;
        Action action;
        const char* helpFor;  // nullptr: the general help
    };
    const Case cases[] = {
        {"--help", Action::Help, nullptr},       {"-h", Action::Help, nullptr},
        {"help", Action::Help, nullptr},         {"help set", Action::Help, "set"},
        {"set --help", Action::Help, "set"},     {"-h reference", Action::Help, "reference"},
        {"--version", Action::Version, nullptr},
    };
    for (const Case& c : cases) {
        const ParsedCommandLine parsed = Parse(QString::fromLatin1(c.line));
        EXPECT_EQ(parsed.action, c.action) << c.line;
        if (c.helpFor)
            ASSERT_TRUE(parsed.helpFor && QLatin1String(parsed.helpFor->name) == c.helpFor)
                << c.line;
        else
            EXPECT_EQ(parsed.helpFor, nullptr) << c.line;
    }
    for (const CommandInfo& command : Commands())
        EXPECT_TRUE(GeneralHelp().contains(QLatin1String(command.synopsis))) << command.name;
}

TEST(CommandLine, UsageErrors) {
    struct Case {
        const char* line;
        const char* says;
    };
    const Case cases[] = {
        {"", "no command"},
        {"frob", "no command"},
        {"--frob read", "unknown option --frob"},
        {"read --port", "--port needs a value"},
        {"--json=yes read", "takes no value"},
        {"--timeout 0 read", "--timeout 0"},
        {"--timeout 1s read", "--timeout 1s"},
        {"--timeout 3600001 read", "--timeout"},
        {"--port COM0 read", "COM1 to COM20"},
        {"--port com21 read", "COM1 to COM20"},
        {"--port COM3 --port com3 read", "given twice"},
        // One device by two names would be opened twice, the second open refused as in use.
        {"--port COM3 --port /dev/ttyUSB2 read",
         "--port COM3 and --port /dev/ttyUSB2 are the same device"},
        {"--com 4=/dev/pts/9 --port /dev/pts/9 --port COM4 read", "the same device (/dev/pts/9)"},
        {"--port /dev/../dev/ttyUSB0 --port COM1 info", "the same device"},
        {"--com 21=/dev/x read", "--com 21=/dev/x"},
        {"--com 3 read", "--com 3"},
        {"--port COM1 --port COM2 get C", "one port"},
        {"--port COM1 ports", "takes no --port"},
        {"read C", "wrong number of arguments"},
        {"get", "wrong number of arguments"},
        {"set", "wrong number of arguments"},
        {"reference 1 2", "wrong number of arguments"},
        {"help frob", "no command"},
        {"monitor --count 0", "--count 0"},
        {"read --count 5", "--count belongs to monitor"},
        {"read --csv", "--csv belongs to monitor"},
        {"--json monitor --csv", "--csv and --json exclude each other"},
        {"restore --dry-run --no-backup x.txt", "--dry-run and --no-backup exclude each other"},
        {"monitor --csv=yes", "--csv takes no value"},
        {"--port COM1 --port COM2 monitor", "one port"},
        {"--port COM1 --port COM2 export x.txt", "one port"},
        {"export", "wrong number of arguments"},
    };
    for (const Case& c : cases) {
        const ParsedCommandLine parsed = Parse(QString::fromLatin1(c.line));
        EXPECT_EQ(parsed.action, Action::UsageError) << c.line;
        EXPECT_TRUE(parsed.error.contains(QLatin1String(c.says)))
            << c.line << ": " << parsed.error.toStdString();
    }
}

TEST(CommandLine, BackupAndComparisonOptionsBelongToTheirCommands) {
    struct Case {
        const char* line;
        const char* says;  // empty: runs
    };
    const Case cases[] = {
        {"restore --dry-run a.txt", ""},
        {"--no-backup flash --keep-parameters a.bin", ""},
        {"diff a.txt --json", ""},
        {"read --dry-run", "--dry-run belongs to restore"},
        {"restore --keep-parameters a.txt", "--keep-parameters belongs to flash"},
        {"restore --dry-run=yes a.txt", "takes no value"},
        {"diff", "wrong number of arguments"},
    };
    for (const Case& c : cases) {
        const ParsedCommandLine parsed = Parse(QString::fromLatin1(c.line));
        if (*c.says == 0) {
            EXPECT_EQ(parsed.action, Action::Run) << c.line << parsed.error.toStdString();
            continue;
        }
        EXPECT_EQ(parsed.action, Action::UsageError) << c.line;
        EXPECT_TRUE(parsed.error.contains(QLatin1String(c.says))) << c.line;
    }
    const Invocation keep = Parse("--no-backup flash --keep-parameters a.bin").invocation;
    EXPECT_TRUE(keep.noBackup && keep.keepParameters && !keep.dryRun);
}

}  // namespace
