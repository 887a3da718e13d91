#pragma once

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

// JSON text written in the order its members are added: vexactl prints parameters in the order
// the controller is read, which a sorting JSON object would lose.

using JsonMembers = std::vector<std::pair<QString, QString>>;  // key, value as JSON text

QString JsonString(const QString& text);
QString JsonObject(const JsonMembers& members);
QString JsonArray(const QStringList& values);  // values as JSON text
