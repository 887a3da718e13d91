#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <vector>

class QWidget;

// A parameter's help as the tooltip of the controls that show it (its name button, slider and
// number box), in the language of the moment.
class ParameterTooltips {
public:
    void Add(const QList<QWidget*>& controls, const QString& chinese, const QString& english);
    void Show(bool english) const;

    // The help's first sentence: its line breaks taken out (they only wrap the message box),
    // up to and including the first full stop or exclamation mark.
    static QString FirstSentence(const QString& help);

private:
    struct Entry {
        QList<QPointer<QWidget>> controls;
        QString chinese;
        QString english;
    };
    std::vector<Entry> m_entries;
};
