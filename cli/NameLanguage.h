#pragma once

#include <QString>

// The language vexactl names parameters in.
enum class NameLanguage { Chinese, English };

// The locale that decides it is the one the C library takes for messages: LC_ALL, else
// LC_MESSAGES, else LANG, the first one set to something. A locale starting with "zh" means
// Chinese; anything else (C, POSIX, en_GB.UTF-8, nothing at all) English.
NameLanguage NameLanguageOf(const QString& lcAll, const QString& lcMessages, const QString& lang);

// The same for this process's environment.
NameLanguage UserNameLanguage();
