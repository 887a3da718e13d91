#include "VexaApp.h"

#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <QTextStream>
#include <QTimer>
#include <cstdio>

#include "ComPortTable.h"
#include "CommandLineUpgrade.h"
#include "ControlLookup.h"
#include "CustomPage.h"
#include "FrameDlg.h"
#include "LivePlot.h"
#include "LivePlotWindow.h"
#include "LoggingPrompter.h"
#include "ParameterBackup.h"
#include "PortFileLocation.h"
#include "QtPrompter.h"
#include "RecentFolders.h"
#include "ResourceIds.h"
#include "ScreenFit.h"
#include "SerialPortBackend.h"
#include "SimBackend.h"
#include "SteadyClock.h"
#include "TerminationSignals.h"
#include "VexaDlg.h"

namespace {

// The line counts as quiet when nothing has arrived for this long: longer than a read-back
// waits before it gives up (a second, and a second for the query asked again), so that an
// incomplete read-back is shown as such.
constexpr int kQuietMs = 3000;

bool IsAutomationSwitch(const QString& argument) {
    if (argument.size() < 2 || (argument[0] != QLatin1Char('/') && argument[0] != QLatin1Char('-')))
        return false;
    const QString name = argument.mid(1);
    return name.compare(QLatin1String("Embedding"), Qt::CaseInsensitive) == 0 ||
           name.compare(QLatin1String("Automation"), Qt::CaseInsensitive) == 0;
}

std::unique_ptr<ICommBackend> MakeBackend(bool demo, const ComPortTable& ports) {
    if (demo) {
        // The demo's line runs at the real line's speed, so it feels like the real thing.
        SimConfig config;
        config.paceBaud = SimConfig::kLineBaud;
        return std::make_unique<SimBackend>(config);
    }
    return std::make_unique<SerialPortBackend>(ports);
}

// Runs the event loop until the line has been quiet for three seconds or, when asked, until the
// read-back has ended. False when a termination signal ended the loop instead.
bool WaitForTheLine(CVexaDlg& dlg, bool untilReadBackEnds) {
    QEventLoop loop;
    QTimer quiet;
    quiet.setSingleShot(true);
    quiet.setInterval(kQuietMs);
    QObject::connect(&quiet, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&dlg, &CVexaDlg::BytesArrived, &quiet, qOverload<>(&QTimer::start));
    if (untilReadBackEnds)
        QObject::connect(&dlg, &CVexaDlg::ReadBackSettled, &loop, &QEventLoop::quit);
    quiet.start();
    if (loop.exec() != 0) return false;
    QCoreApplication::processEvents();
    return true;
}

// The longest wait for the window's first paint before the port is opened all the same (a
// window system that shows nothing, such as a minimised start).
constexpr int kFirstPaintWaitMs = 1000;

// Shows the window and runs the event loop until it has been painted, then opens the port: the
// read-back starts on a window that is already on the screen, so that no reply waits for the
// first paint (which lays out and renders every text of the window and takes far longer than an
// exchange on the line). False when a termination signal ended the wait.
bool ShowThenConnect(CVexaDlg& dlg) {
    QEventLoop loop;
    QObject::connect(&dlg, &CVexaDlg::FirstPainted, &loop, &QEventLoop::quit);
    QTimer::singleShot(kFirstPaintWaitMs, &loop, &QEventLoop::quit);
    dlg.show();
    if (loop.exec() != 0) return false;
    dlg.OpenPortFromFile();
    return true;
}

// The live display shows a few rounds of every frame before a screenshot, or gives up after
// this long.
constexpr int kLiveFramesBeforeScreenshot = 9;
constexpr int kLiveWaitMs = 3000;

// The plot window is shown after this many live frames (about six seconds of the demo's
// stream), so that its graphs have something to draw.
constexpr int kLiveFramesBeforePlotScreenshot = 180;
constexpr int kLivePlotWaitMs = 10000;

// Presses the custom page's display button, as the operator does.
void ToggleLiveDisplay(CVexaDlg& dlg) {
    if (auto* button = FindControlAs<QPushButton>(&dlg.CustomPage(), IDC_DISPLAY_TOGGLE))
        button->click();
}

// Presses the button beside it that opens the live plot.
void OpenLivePlot(CVexaDlg& dlg) {
    if (auto* button = FindControlAs<QPushButton>(&dlg.CustomPage(), IDC_LIVE_PLOT))
        button->click();
}

// Runs the event loop until the window has shown `frames` live frames or `ms` have passed.
void WaitForLiveFrames(CVexaDlg& dlg, int frames, int ms) {
    QEventLoop loop;
    int shown = 0;
    QObject::connect(&dlg, &CVexaDlg::LiveFrameShown, &loop, [&] {
        if (++shown >= frames) loop.quit();
    });
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Shows the window, waits until the start-up read-back has ended or the line has been quiet
// for three seconds, and saves the window as a PNG; with the frame editor, opens it, waits until
// its read-back has gone quiet and saves the editor instead. With --live the live display runs
// for the picture and is switched off again afterwards.
int TakeScreenshot(CVexaDlg& dlg, const CVexaApp::CommandLine& commandLine) {
    dlg.show();
    if (!WaitForTheLine(dlg, true)) return 1;
    QWidget* shown = &dlg;
    const bool live = commandLine.live && !commandLine.frameEditor;
    if (commandLine.frameEditor) {
        dlg.OpenFrameEditorOnReadBack();
        if (!WaitForTheLine(dlg, false)) return 1;
        shown = &dlg.FrameEditor();
    } else if (live && commandLine.livePlot) {
        ToggleLiveDisplay(dlg);
        OpenLivePlot(dlg);
        WaitForLiveFrames(dlg, kLiveFramesBeforePlotScreenshot, kLivePlotWaitMs);
        CLivePlotWindow* plot = dlg.CustomPage().LivePlot().Window();
        // The sticks, so that the channel graph has lines in the picture.
        for (int bar = 0; bar < 4; ++bar) plot->BarTick(bar)->setChecked(true);
        plot->Refresh();
        shown = plot;
        QCoreApplication::processEvents();
    } else if (live) {
        ToggleLiveDisplay(dlg);
        WaitForLiveFrames(dlg, kLiveFramesBeforeScreenshot, kLiveWaitMs);
        QCoreApplication::processEvents();
    }
    const bool saved = ScreenFit::Picture(*shown).save(commandLine.screenshotPath, "PNG");
    if (live) ToggleLiveDisplay(dlg);
    if (!saved) {
        std::fprintf(stderr, "vexa: cannot write %s\n", qPrintable(commandLine.screenshotPath));
        return 1;
    }
    return 0;
}

}  // namespace

CVexaApp::CommandLine CVexaApp::Parse(const QStringList& arguments) {
    CommandLine line;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        auto value = [&](const char* option) -> QString {
            const QString prefix = QLatin1String(option) + QLatin1Char('=');
            if (argument.startsWith(prefix)) return argument.mid(prefix.size());
            if (i + 1 < arguments.size()) return arguments[++i];
            line.error = QStringLiteral("%1 needs a value").arg(QLatin1String(option));
            return {};
        };
        auto is = [&](const char* option) {
            return argument == QLatin1String(option) ||
                   argument.startsWith(QLatin1String(option) + QLatin1Char('='));
        };
        if (IsAutomationSwitch(argument)) {
            line.automation = true;
        } else if (is("--com")) {
            line.comAssignments << value("--com");
        } else if (is("--screenshot")) {
            line.screenshotPath = value("--screenshot");
        } else if (is("--upgrade")) {
            line.upgradePath = value("--upgrade");
        } else if (is("--port-file")) {
            line.portFile = value("--port-file");
            if (line.portFile.isEmpty() && line.error.isEmpty())
                line.error = QStringLiteral("--port-file needs a file name");
        } else if (is("--page")) {
            bool ok = false;
            line.page = value("--page").toInt(&ok);
            if (!ok || line.page < 0 || line.page > 4)
                line.error = QStringLiteral("--page takes 0 to 4");
        } else if (argument == QLatin1String("--demo")) {
            line.demo = true;
        } else if (argument == QLatin1String("--frame-editor")) {
            line.frameEditor = true;
        } else if (argument == QLatin1String("--live")) {
            line.live = true;
        } else if (argument == QLatin1String("--live-plot")) {
            line.live = true;
            line.livePlot = true;
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            line.error = QStringLiteral("help");
        } else {
            line.error = QStringLiteral("unknown option %1").arg(argument);
        }
        if (!line.error.isEmpty()) break;
    }
    if (line.error.isEmpty()) {
        ComPortTable probe;
        line.error = probe.ApplyOptions(line.comAssignments);
    }
    return line;
}

QString CVexaApp::HelpText() {
    return QStringLiteral(
        "Usage: vexa [options]\n"
        "Configuration and firmware-upgrade tool for the Pellar flight controller.\n\n"
        "  --com N=DEVICE     port COMN opens DEVICE (repeatable), e.g. --com 3=/dev/pts/4\n"
        "                     default: COM1-COM10 = /dev/ttyUSB0-9, COM11-COM20 = /dev/ttyACM0-9\n"
        "  --demo             every COM port reaches the built-in simulated controller\n"
        "  --page N           page N (0-4) is the visible page from the start\n"
        "  --live             once the parameters are read, start the live display on the\n"
        "                     custom page (page 1)\n"
        "  --live-plot        as --live, and open the live plot window; with --screenshot\n"
        "                     the plot window is rendered, CH1-CH4 ticked\n"
        "  --frame-editor     open the custom frame editor at start, as its button does\n"
        "  --screenshot FILE  render the main window (with --frame-editor: the editor) to\n"
        "                     FILE (PNG) once start-up has settled, then exit\n"
        "  --upgrade FILE     once start-up has settled, choose FILE as the firmware and start\n"
        "                     the upgrade; with --screenshot the window is rendered halfway\n"
        "                     through the upload and the exit status tells whether it\n"
        "                     succeeded (0) or not (1)\n"
        "  --port-file FILE   keep the last port in FILE instead of the configuration folder\n"
        "  --help             this text\n"
        "  --version          the program's version\n\n"
        "The last port opened is kept in qzmcconfig.ini in the configuration folder\n"
        "(~/.config/Vexa, or $XDG_CONFIG_HOME/Vexa).\n");
}

int CVexaApp::Run(const CommandLine& commandLine) {
    ComPortTable ports;
    ports.ApplyOptions(commandLine.comAssignments);
    SteadyClock clock;
    QtPrompter interactive;
    RecentFolders folders;
    FolderRememberingPrompter remembering(interactive, folders);
    LoggingPrompter headless;
    const bool screenshot = !commandLine.screenshotPath.isEmpty();
    // A screenshot run answers no message box: it would wait for a click that never comes.
    Prompter& prompter = screenshot ? static_cast<Prompter&>(headless) : remembering;

    const bool upgrade = !commandLine.upgradePath.isEmpty();
    PresetFilePrompter upgradePrompter(prompter, commandLine.upgradePath);

    // A termination signal ends every event loop (message boxes too); the window, and with it
    // the port and its lock file, then go the normal way as Run returns.
    int endedBy = 0;
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::Requested, [&endedBy](int signalNumber) {
        endedBy = signalNumber;
        QCoreApplication::exit(128 + signalNumber);
    });

    std::unique_ptr<ICommBackend> backend = MakeBackend(commandLine.demo, ports);
    CVexaDlg::Options options;
    options.initialPage = commandLine.live ? 1 : commandLine.page;
    options.openPortAtStart = false;
    // A screenshot run is automation: it leaves the operator's backups alone.
    if (!screenshot) options.backupFolder = DefaultBackupFolder(commandLine.demo);
    options.portFile = WindowPortFile(commandLine.portFile).Path();
    CVexaDlg dlg(std::move(backend), clock, upgrade ? upgradePrompter : prompter, options);
    interactive.SetOwner(&dlg);
    int result = 0;
    if (!ShowThenConnect(dlg)) {
        result = 1;
    } else if (upgrade && screenshot) {
        result = UpgradeWithScreenshot(dlg, commandLine.screenshotPath);
    } else if (screenshot) {
        result = TakeScreenshot(dlg, commandLine);
    } else {
        if (upgrade) StartUpgradeWhenSettled(dlg);
        // The port is open and its read-back runs: the editor reads the frame after it, without
        // opening the port (and asking "?V") a second time.
        if (commandLine.frameEditor)
            QTimer::singleShot(0, &dlg, [&dlg] { dlg.OpenFrameEditorOnReadBack(); });
        if (commandLine.live)
            QObject::connect(
                &dlg, &CVexaDlg::ReadBackSettled, &dlg,
                [&dlg, plot = commandLine.livePlot] {
                    ToggleLiveDisplay(dlg);
                    if (plot) OpenLivePlot(dlg);
                },
                Qt::SingleShotConnection);
        dlg.exec();
        const QString left = dlg.WhereAnUnfinishedWriteLeftTheController();
        if (!left.isEmpty()) std::fprintf(stderr, "vexa: %s\n", qPrintable(left));
    }
    return endedBy != 0 ? 128 + endedBy : result;
}
