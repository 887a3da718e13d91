#pragma once

#include <QStringList>
#include <memory>

class ICommBackend;
class ComPortTable;

// The application object: reads the command line, builds the serial backend (a real port, or
// the simulated controller with --demo), runs the main window and ends the process with it.
class CVexaApp {
public:
    struct CommandLine {
        QStringList comAssignments;  // --com N=DEVICE
        QString screenshotPath;      // --screenshot FILE
        QString upgradePath;         // --upgrade FILE
        QString portFile;            // --port-file FILE
        int page = 0;                // --page N
        bool demo = false;           // --demo
        bool frameEditor = false;    // --frame-editor
        bool live = false;           // --live
        bool automation = false;     // /Embedding, /Automation
        QString error;               // set when the command line cannot be used
    };

    // Parses the arguments (argv[0] excluded). "Embedding" and "Automation" after "/" or "-"
    // are accepted and taken away before the other options are read.
    static CommandLine Parse(const QStringList& arguments);
    static QString HelpText();

    // Runs the program; returns the process exit code.
    int Run(const CommandLine& commandLine);
};
