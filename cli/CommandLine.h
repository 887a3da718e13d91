#pragma once

#include <QString>
#include <QStringList>
#include <chrono>

struct CommandInfo;

// What the user asked vexactl to do, as read from its arguments.
struct Invocation {
    QStringList ports;           // each --port as given: "COM3" or a device path
    QStringList comAssignments;  // each --com N=DEVICE
    bool demo = false;
    bool json = false;
    bool quiet = false;
    bool force = false;  // --force: export replaces a read-only file
    QString portFile;    // --port-file FILE: the window's port file elsewhere
    std::chrono::milliseconds timeout{1000};
    int count = 0;                // monitor --count N: end after N frames; 0: until interrupted
    bool noBackup = false;        // no automatic backup before an action that overwrites many
    bool dryRun = false;          // restore --dry-run: check and compare, send only the read-back
    bool keepParameters = false;  // flash --keep-parameters: put the values back after it
    const CommandInfo* command = nullptr;
    QStringList arguments;
};

struct ParsedCommandLine {
    enum class Action { Run, Help, Version, UsageError };
    Action action = Action::UsageError;
    Invocation invocation;
    const CommandInfo* helpFor = nullptr;  // Help: this command's, or the general help
    QString error;                         // UsageError: one sentence
};

// Reads the arguments after the program name. Options may stand before or after the command;
// "--" ends them.
ParsedCommandLine ParseCommandLine(const QStringList& arguments);

QString GeneralHelp();
QString CommandHelp(const CommandInfo& command);

// Whether a --port value names a COM number ("COM3", any case); its number in `number`.
bool IsComName(const QString& port, int* number = nullptr);
