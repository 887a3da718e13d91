#pragma once

#include <QLineEdit>
#include <QSlider>

#include "MainWindowFixture.h"
#include "ParamTable.h"
#include "SliderDriver.h"

// The main window on an in-memory line with one of its pages as the visible page, reached as
// the program reaches it. The controller has answered the start-up read-back: firmware 1.218,
// every value one the window shows as 0; it takes in the set commands sent and answers again
// only when a test asks (ControllerHolds, RefreshFromController).
template <class Page>
class PageTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        StartOnController();
        const auto& pages = m_dlg->PageWidgets();
        for (int index = 0; index < CVexaDlg::kPageCount; ++index)
            if (auto* page = qobject_cast<Page*>(pages[index])) {
                m_page = page;
                m_dlg->ShowPage(index);
            }
        ASSERT_NE(m_page, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_dlg.get()));
        m_line->ClearSent();
        m_prompter.Clear();
    }

    template <class T = QWidget>
    T* Control(int id) {
        T* control = FindControlAs<T>(m_page, id);
        EXPECT_NE(control, nullptr) << "no control " << id;
        return control;
    }
    QSlider* Slider(int id) { return Control<QSlider>(id); }
    QString Box(int id) { return Control<QLineEdit>(id)->text(); }

    void Drag(int sliderId, int to) { slider_driver::Drag(Slider(sliderId), to); }
    // A read-back of the wire value as the window hands it to the page.
    bool ReadBack(char letter, int wire) {
        return m_page->ShowReadBack(letter, ShownFromWire(letter, wire, m_firmware));
    }
    // The controller holds this wire value, and a refresh has read everything back from it.
    void ControllerHolds(char letter, int wire) {
        m_held[letter] = wire;
        RefreshFromController();
        m_line->ClearSent();
    }

    Page* m_page = nullptr;
};
