#include "NameLanguage.h"

#include <QtGlobal>

NameLanguage NameLanguageOf(const QString& lcAll, const QString& lcMessages, const QString& lang) {
    for (const QString& locale : {lcAll, lcMessages, lang}) {
        if (locale.isEmpty()) continue;
        return locale.startsWith(QLatin1String("zh")) ? NameLanguage::Chinese
                                                      : NameLanguage::English;
    }
    return NameLanguage::English;
}

NameLanguage UserNameLanguage() {
    return NameLanguageOf(qEnvironmentVariable("LC_ALL"), qEnvironmentVariable("LC_MESSAGES"),
                          qEnvironmentVariable("LANG"));
}
