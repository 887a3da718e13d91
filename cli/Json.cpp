#include "Json.h"

QString JsonString(const QString& text) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : text) {
        switch (c.unicode()) {
            case '"':
                quoted += QLatin1String("\\\"");
                break;
            case '\\':
                quoted += QLatin1String("\\\\");
                break;
            case '\n':
                quoted += QLatin1String("\\n");
                break;
            case '\r':
                quoted += QLatin1String("\\r");
                break;
            case '\t':
                quoted += QLatin1String("\\t");
                break;
            default:
                // A byte of a file name that is not UTF-8 (NativeName) keeps its escape.
                if (c.unicode() < 0x20 ||
                    (c.isLowSurrogate() && !(quoted.size() > 1 && quoted.back().isHighSurrogate())))
                    quoted += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
                else
                    quoted += c;
        }
    }
    return quoted + QLatin1Char('"');
}

QString JsonObject(const JsonMembers& members) {
    QStringList parts;
    for (const auto& [key, value] : members) parts << JsonString(key) + QLatin1Char(':') + value;
    return QLatin1Char('{') + parts.join(QLatin1Char(',')) + QLatin1Char('}');
}

QString JsonArray(const QStringList& values) {
    return QLatin1Char('[') + values.join(QLatin1Char(',')) + QLatin1Char(']');
}
