#include "BilingualCaption.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QVariant>
#include <QWidget>

#include "ControlLookup.h"

namespace {

constexpr char kChineseCaption[] = "chineseCaption";
constexpr char kChineseTitle[] = "chineseTitle";

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
