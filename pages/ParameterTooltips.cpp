#include "ParameterTooltips.h"

#include <QWidget>

void ParameterTooltips::Add(const QList<QWidget*>& controls, const QString& chinese,
                            const QString& english) {
    Entry entry{{}, chinese, english};
    for (QWidget* control : controls) entry.controls << control;
    m_entries.push_back(std::move(entry));
}

void ParameterTooltips::Show(bool english) const {
    for (const Entry& entry : m_entries)
        for (const QPointer<QWidget>& control : entry.controls)
            if (control) control->setToolTip(english ? entry.english : entry.chinese);
}

QString ParameterTooltips::FirstSentence(const QString& help) {
    QString joined = help;
    joined.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
    joined = joined.trimmed();
    static const QString kEnds = QStringLiteral("。！!");
    for (qsizetype i = 0; i < joined.size(); ++i)
        if (kEnds.contains(joined[i])) return joined.left(i + 1);
    return joined;
}
