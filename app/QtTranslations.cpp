#include "QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

QtTranslations::QtTranslations(const QString& folder) {
    // "qt_zh_CN" gathers the translations of every Qt module the program uses.
    m_bLoaded = m_translator.load(QStringLiteral("qt_zh_CN"), folder);
}

QtTranslations::~QtTranslations() { Apply(true); }

QString QtTranslations::DefaultFolder() {
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

void QtTranslations::Apply(bool english) {
    const bool wanted = !english && m_bLoaded;
    if (wanted == m_bInstalled) return;
    if (wanted)
        QCoreApplication::installTranslator(&m_translator);
    else
        QCoreApplication::removeTranslator(&m_translator);
    m_bInstalled = wanted;
}
