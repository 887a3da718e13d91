#include "DebugLog.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QtGlobal>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>

#include "AppendLog.h"

namespace {

std::mutex g_mutex;
std::string g_path;
std::optional<AppendLog> g_log;

const char* KindOf(QtMsgType type) {
    switch (type) {
        case QtDebugMsg:
            return "debug";
        case QtInfoMsg:
            return "info";
        case QtWarningMsg:
            return "warning";
        case QtCriticalMsg:
            return "critical";
        case QtFatalMsg:
            return "fatal";
    }
    return "message";
}

void Append(const char* kind, const QByteArray& text) {
    const std::lock_guard<std::mutex> lock(g_mutex);
    if (g_log) g_log->Append(QByteArray(kind) + ": " + text);
}

void Handle(QtMsgType type, const QMessageLogContext&, const QString& message) {
    const QByteArray text = message.toLocal8Bit();
    Append(KindOf(type), text);
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", text.constData());
}

std::string PathFor(const char* program) {
    const QByteArray chosen = qgetenv("VEXA_DEBUG_LOG");
    if (!chosen.isEmpty()) return chosen.toStdString();
    // The folder is made (0700) with the first message.
    const QString folder =
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
            .filePath(QStringLiteral("Vexa"));
    return QFile::encodeName(QDir(folder).filePath(QLatin1String(program) + QLatin1String(".log")))
        .toStdString();
}

}  // namespace

void RouteQtMessagesToDebugLog(const char* program) {
    {
        const std::lock_guard<std::mutex> lock(g_mutex);
        g_path = PathFor(program);
        g_log.emplace(QByteArray::fromStdString(g_path));
    }
    qInstallMessageHandler(Handle);
}

const char* DebugLogPath() { return g_path.c_str(); }
