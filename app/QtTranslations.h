#pragma once

#include <QString>
#include <QTranslator>

// Qt's own texts (standard buttons, file dialogs, message boxes) in the interface language:
// Chinese loads Qt's zh_CN translation into the application, English takes it out again.
class QtTranslations {
public:
    // Looks for the translation in `folder`; by default where Qt keeps its translations.
    explicit QtTranslations(const QString& folder = DefaultFolder());
    ~QtTranslations();
    QtTranslations(const QtTranslations&) = delete;
    QtTranslations& operator=(const QtTranslations&) = delete;

    static QString DefaultFolder();
    // False when the Chinese translation is not installed; Qt's texts then stay English.
    bool Available() const { return m_bLoaded; }
    void Apply(bool english);

private:
    QTranslator m_translator;
    bool m_bLoaded = false;
    bool m_bInstalled = false;
};
