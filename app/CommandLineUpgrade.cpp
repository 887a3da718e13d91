#include "CommandLineUpgrade.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QImage>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "ControlLookup.h"
#include "ResourceIds.h"
#include "ScreenFit.h"
#include "VexaDlg.h"

namespace {

// The line counts as quiet when nothing has arrived for this long.
constexpr int kQuietMs = 2000;

// Calls `then` once, when the read-back has ended or the line has been quiet for two seconds.
void WhenSettled(CVexaDlg& dlg, std::function<void()> then) {
    auto* quiet = new QTimer(&dlg);
    quiet->setSingleShot(true);
    quiet->setInterval(kQuietMs);
    auto once = [quiet, then = std::move(then)] {
        if (!quiet->property("done").toBool()) {
            quiet->setProperty("done", true);
            quiet->stop();
            quiet->disconnect();
            then();
        }
    };
    QObject::connect(quiet, &QTimer::timeout, quiet, once);
    QObject::connect(&dlg, &CVexaDlg::ReadBackSettled, quiet, once);
    QObject::connect(&dlg, &CVexaDlg::BytesArrived, quiet, qOverload<>(&QTimer::start));
    quiet->start();
}

bool SaveWindow(CVexaDlg& dlg, const QString& path) {
    QCoreApplication::processEvents();
    if (ScreenFit::Picture(dlg).save(path, "PNG")) return true;
    std::fprintf(stderr, "vexa: cannot write %s\n", qPrintable(path));
    return false;
}

}  // namespace

void PressUpgradeButtons(CVexaDlg& dlg) {
    FindControlAs<QPushButton>(&dlg, IDC_SELECT_FW)->click();
    auto* start = FindControlAs<QPushButton>(&dlg, IDC_START_UPGRADE);
    if (start->isEnabled()) start->click();
}

void StartUpgradeWhenSettled(CVexaDlg& dlg) {
    WhenSettled(dlg, [&dlg] { PressUpgradeButtons(dlg); });
}

int UpgradeWithScreenshot(CVexaDlg& dlg, const QString& path) {
    dlg.show();
    QEventLoop loop;
    std::optional<bool> saved;
    bool succeeded = false;
    auto save = [&] {
        if (!saved) saved = SaveWindow(dlg, path);
    };
    auto* bar = FindControlAs<QProgressBar>(&dlg, IDC_UPLOAD_PROGRESS);
    QObject::connect(bar, &QProgressBar::valueChanged, &loop, [&, bar](int value) {
        // Rendered once the step that moved the bar has also set the status line.
        if (!saved && value * 2 >= bar->maximum()) QTimer::singleShot(0, &loop, save);
    });
    QObject::connect(&dlg, &CVexaDlg::UpgradeEnded, &loop, [&](bool success) {
        save();
        succeeded = success;
        if (!success) return loop.quit();
        WhenSettled(dlg, [&loop] { loop.quit(); });  // the new firmware's read-back
    });
    WhenSettled(dlg, [&] {
        PressUpgradeButtons(dlg);
        if (dlg.UpgradeRunning() || succeeded) return;
        // The file was refused, or the upload ended as soon as it began.
        save();
        loop.quit();
    });
    loop.exec();
    return saved.value_or(false) && succeeded ? 0 : 1;
}
