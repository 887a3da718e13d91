#include "ListEntryText.h"

#include <QStringList>

#include "ResourceIds.h"
#include "TemplateLists.h"

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

// The entries of a list box of the main window's template.
QStringList EntriesOf(int controlId) {
    QStringList entries;
    for (const TemplateList& list : TemplateLists()) {
        if (list.controlId != controlId) continue;
        for (const char* entry : list.entries) entries << QString::fromUtf8(entry);
    }
    return entries;
}

}  // namespace

std::optional<QString> ListEntryText(char letter, int shown) {
    for (const ListOfLetter& list : kLists) {
        if (list.letter != letter) continue;
        const QStringList entries = EntriesOf(list.controlId);
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
