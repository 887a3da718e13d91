// Where the focus is can be seen, and only there.
#include <QApplication>
#include <QImage>
#include <QPushButton>

#include "MainWindowFixture.h"
#include "ResourceIds.h"

namespace {

// A control looks different with the focus than without it, from the start and not only
// once Tab has been pressed; no button wears the default-button frame.
TEST_F(MainWindowTest, EveryControlShowsAFocusFrameAndNoButtonIsTheDefault) {
    CVexaDlg& dlg = Start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    QApplication::setActiveWindow(&dlg);
    for (QPushButton* button : dlg.findChildren<QPushButton*>())
        EXPECT_FALSE(button->isDefault()) << button->text().toStdString();

    // Every control that takes the focus by Tab, with the focus and without it.
    QWidget* elsewhere = Control(IDC_LANGUAGE);
    for (int page : {0, 1, 4}) {
        dlg.ShowPage(page);
        int controls = 0;
        for (QWidget* control : dlg.findChildren<QWidget*>()) {
            if ((control->focusPolicy() & Qt::TabFocus) != Qt::TabFocus || control->focusProxy() ||
                control->window() != &dlg || !control->isVisible() || !control->isEnabled() ||
                control == elsewhere)
                continue;
            ++controls;
            elsewhere->setFocus(Qt::OtherFocusReason);
            const QImage without = control->grab().toImage();
            control->setFocus(Qt::OtherFocusReason);
            EXPECT_NE(control->grab().toImage(), without)
                << control->metaObject()->className() << " "
                << control->property("controlId").toInt();
        }
        EXPECT_GT(controls, 10);
    }
}

}  // namespace
