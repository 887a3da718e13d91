#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Starts the built vexa on the offscreen platform in `dir`, with COM3 leading to `device` and
// its port file in `dir` (never the user's own configuration).
inline void StartVexa(QProcess& vexa, const QString& device, const QTemporaryDir& dir,
                      const QStringList& options = {},
                      QProcessEnvironment env = QProcessEnvironment::systemEnvironment()) {
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    vexa.setProcessEnvironment(env);
    vexa.setWorkingDirectory(dir.path());
    vexa.start(QStringLiteral(VEXA_BINARY),
               QStringList{QStringLiteral("--com"), QStringLiteral("3=") + device,
                           QStringLiteral("--port-file"), dir.filePath(QStringLiteral("qzmcconfig.ini"))} +
                   options);
}
