#include "ListEntryText.h"

#include <QFile>
#include <QHash>
#include <QStringList>
#include <QXmlStreamReader>

#include "ResourceIds.h"

namespace {

struct ListOfLetter {
    char letter;
    int controlId;
    int firstValue;  // the value of the list's first entry
};

constexpr ListOfLetter kLists[] = {
    {'A', IDC_FRAME_TYPE, 1},
    {'B', IDC_ESC_RATE, 1},
    {'P', IDC_SERVO_RATE, 1},
    {'j', IDC_RESTORE_LIST, 0},
};

// The property element's <number> or <string> text; the reader is left on its end tag.
QString PropertyValue(QXmlStreamReader& xml) {
    QString value;
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("number") || xml.name() == QLatin1String("string"))
            value = xml.readElementText();
        else
            xml.skipCurrentElement();
    }
    return value;
}

// The entries of every list box of the main window's template, by control id.
QHash<int, QStringList> ReadTemplateLists() {
    QFile file(QStringLiteral(":/VexaDlg.ui"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    QXmlStreamReader xml(&file);
    QHash<int, QStringList> lists;
    int id = 0;
    QStringList entries;
    bool inList = false;
    bool inItem = false;
    while (!xml.atEnd()) {
        xml.readNext();
        const QStringView name = xml.name();
        if (xml.isStartElement() && name == QLatin1String("widget")) {
            inList = xml.attributes().value(QLatin1String("class")) == QLatin1String("QComboBox");
            id = 0;
            entries.clear();
        } else if (!inList) {
            continue;
        } else if (name == QLatin1String("item")) {
            inItem = xml.isStartElement();
        } else if (xml.isStartElement() && name == QLatin1String("property")) {
            const bool isId =
                xml.attributes().value(QLatin1String("name")) == QLatin1String("controlId");
            const QString value = PropertyValue(xml);
            if (inItem)
                entries << value;
            else if (isId)
                id = value.toInt();
        } else if (xml.isEndElement() && name == QLatin1String("widget")) {
            lists.insert(id, entries);
            inList = false;
        }
    }
    return lists;
}

}  // namespace

std::optional<QString> ListEntryText(char letter, int shown) {
    static const QHash<int, QStringList> lists = ReadTemplateLists();
    for (const ListOfLetter& list : kLists) {
        if (list.letter != letter) continue;
        const QStringList entries = lists.value(list.controlId);
        const int index = shown - list.firstValue;
        if (index < 0 || index >= entries.size()) return std::nullopt;
        return entries[index];
    }
    return std::nullopt;
}

JsonMembers ListTextMembers(std::string_view letters, const std::function<int(char)>& shownOf) {
    JsonMembers members;
    for (char letter : letters)
        if (const std::optional<QString> text = ListEntryText(letter, shownOf(letter)))
            members.emplace_back(QString(QLatin1Char(letter)), JsonString(*text));
    return members;
}
