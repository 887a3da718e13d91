// Controls by id: a control belongs to the nearest dialog above it, the first of an id wins, and
// ControlIndex finds every control as FindControl does.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include "ControlLookup.h"

namespace {

QWidget* Control(QWidget* parent, int id) {
    auto* control = new QPushButton(parent);
    control->setProperty("controlId", id);
    return control;
}

}  // namespace

TEST(ControlLookup, IndexFindsWhatFindControlFinds) {
    QDialog dialog;
    dialog.setProperty("dialogTemplate", 102);
    QWidget* ok = Control(&dialog, 1);
    QWidget* firstOfTwo = Control(&dialog, 2);
    Control(&dialog, 2);
    auto* group = new QWidget(&dialog);  // a plain container belongs to the dialog
    QWidget* inGroup = Control(group, 3);
    auto* page = new QWidget(&dialog);  // a page of its own: its ids are not the dialog's
    page->setProperty("dialogTemplate", 137);
    QWidget* onPage = Control(page, 4);
    Control(page, 1);
    new QLabel(&dialog);  // no id

    const ControlIndex index(&dialog);
    const ControlIndex pageIndex(page);
    const std::pair<int, QWidget*> expected[] = {
        {1, ok}, {2, firstOfTwo}, {3, inGroup}, {4, nullptr}, {5, nullptr}};
    for (const auto& [id, control] : expected) {
        EXPECT_EQ(FindControl(&dialog, id), control) << id;
        EXPECT_EQ(index.Find(id), control) << id;
    }
    EXPECT_EQ(pageIndex.Find(4), onPage);
    EXPECT_EQ(pageIndex.Find(1), FindControl(page, 1));
    EXPECT_EQ(index.FindAs<QLabel>(1), nullptr);
}
