// Where the focus is can be seen, and only there.
#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QPushButton>

#include "FrameDlg.h"
#include "MainWindowFixture.h"
#include "ResourceIds.h"

namespace {

QImage Picture(QWidget* control) { return control->grab().toImage(); }

// Every control of the visible page and the upper panel that takes the focus by Tab.
QList<QWidget*> Focusable(QWidget& window) {
    QList<QWidget*> controls;
    for (QWidget* w : window.findChildren<QWidget*>())
        if ((w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && !w->focusProxy() &&
            w->window() == &window && w->isVisible() && w->isEnabled())
            controls << w;
    return controls;
}

// A control looks different with the focus than without it, from the start and not only
// once Tab has been pressed; no button wears the default-button frame.
TEST_F(MainWindowTest, EveryControlShowsAFocusFrameAndNoButtonIsTheDefault) {
    CVexaDlg& dlg = Start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    QApplication::setActiveWindow(&dlg);
    for (QPushButton* button : dlg.findChildren<QPushButton*>())
        EXPECT_FALSE(button->isDefault()) << button->text().toStdString();

    const auto expectFramed = [](QWidget& window, QWidget* elsewhere) {
        const QList<QWidget*> controls = Focusable(window);
        ASSERT_GT(controls.size(), 10);
        for (QWidget* control : controls) {
            if (control == elsewhere) continue;
            elsewhere->setFocus(Qt::OtherFocusReason);
            const QImage without = Picture(control);
            control->setFocus(Qt::OtherFocusReason);
            ASSERT_TRUE(control->hasFocus());
            EXPECT_NE(Picture(control), without)
                << control->metaObject()->className() << " "
                << control->property("controlId").toInt();
        }
    };
    for (int page : {0, 1, 4}) {
        dlg.ShowPage(page);
        expectFramed(dlg, Control(IDC_LANGUAGE));
    }
    // The frame editor, a window of its own, alike.
    CFrameDlg& editor = dlg.FrameEditor();
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    QApplication::setActiveWindow(&editor);
    expectFramed(editor, FindControl(&editor, IDC_FRAME_CANCEL));
}

}  // namespace
