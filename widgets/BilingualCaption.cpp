#include "BilingualCaption.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QVariant>
#include <QWidget>

#include "ControlLookup.h"

namespace {

constexpr char kChineseCaption[] = "chineseCaption";
constexpr char kChineseTitle[] = "chineseTitle";
constexpr char kChineseEntries[] = "chineseEntries";

QString CaptionOf(const QWidget* control) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(control)) return button->text();
    if (const auto* label = qobject_cast<const QLabel*>(control)) return label->text();
    if (const auto* group = qobject_cast<const QGroupBox*>(control)) return group->title();
    return {};
}

// The Chinese text to show: the one kept from before the first switch to English, else `text`.
QString Chinese(const QWidget* control, const char* property, const BiText& text) {
    const QVariant kept = control->property(property);
    return kept.isValid() ? kept.toString() : text.In(false);
}

}  // namespace

void ShowCaption(QWidget* control, const BiText& text, bool english) {
    if (!control) return;
    if (english && !control->property(kChineseCaption).isValid())
        control->setProperty(kChineseCaption, CaptionOf(control));
    SetControlText(control, english ? text.In(true) : Chinese(control, kChineseCaption, text));
}

void ShowWindowTitle(QWidget* window, const BiText& text, bool english) {
    if (english && !window->property(kChineseTitle).isValid())
        window->setProperty(kChineseTitle, window->windowTitle());
    window->setWindowTitle(english ? text.In(true) : Chinese(window, kChineseTitle, text));
}

void ShowListEntries(QComboBox* list, std::span<const char* const> english, bool inEnglish) {
    if (inEnglish && !list->property(kChineseEntries).isValid()) {
        QStringList entries;
        for (int i = 0; i < list->count(); ++i) entries << list->itemText(i);
        list->setProperty(kChineseEntries, entries);
    }
    const QStringList chinese = list->property(kChineseEntries).toStringList();
    for (int i = 0; i < list->count(); ++i) {
        if (inEnglish && std::size_t(i) < english.size())
            list->setItemText(i, QString::fromUtf8(english[std::size_t(i)]));
        else if (!inEnglish && i < chinese.size())
            list->setItemText(i, chinese[i]);
    }
}
