#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "ControlLookup.h"
#include "FakeClock.h"
#include "MemoryLine.h"
#include "ParamTable.h"
#include "ScriptedPrompter.h"
#include "SliderDriver.h"
#include "VexaDlg.h"

// A running main window on an in-memory line (in a fresh current directory, for its port
// file), and one page of the given class shown on its own, reaching the window through its
// instance pointer as it does in the program. The start-up query is already cleared away.
template <class Page>
class PageTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_previousDir = QDir::currentPath();
        ASSERT_TRUE(m_dir.isValid());
        QDir::setCurrent(m_dir.path());
        auto line = std::make_unique<MemoryLine>(m_clock);
        m_line = line.get();
        m_dlg = std::make_unique<CVexaDlg>(std::move(line), m_clock, m_prompter);
        m_dlg->State().m_nFwVersion = 1218;
        m_page = std::make_unique<Page>();
        m_page->resize(790, 380);
        m_page->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_page.get()));
        m_line->ClearSent();
        m_prompter.Clear();
    }
    void TearDown() override {
        m_page.reset();
        m_dlg.reset();
        QDir::setCurrent(m_previousDir);
    }

    template <class T = QWidget>
    T* Control(int id) {
        T* control = FindControlAs<T>(m_page.get(), id);
        EXPECT_NE(control, nullptr) << "no control " << id;
        return control;
    }
    QSlider* Slider(int id) { return Control<QSlider>(id); }
    QString Box(int id) { return Control<QLineEdit>(id)->text(); }

    void Drag(int sliderId, int to) { slider_driver::Drag(Slider(sliderId), to); }
    // A read-back of the wire value as the dispatcher hands it to the page.
    bool ReadBack(char letter, int wire) {
        return m_page->ShowReadBack(letter, ShownFromWire(letter, wire, State().m_nFwVersion));
    }

    ProtocolState& State() { return m_dlg->State(); }
    int& Cache(char letter) { return State().m_nParamCache[std::size_t(*CacheSlotOf(letter))]; }
    QByteArray Sent() const { return m_line->SentBytes(); }

    QString m_previousDir;
    QTemporaryDir m_dir;
    FakeClock m_clock;
    ScriptedPrompter m_prompter;
    MemoryLine* m_line = nullptr;
    std::unique_ptr<CVexaDlg> m_dlg;
    std::unique_ptr<Page> m_page;
};
