#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

#include "ControlLookup.h"
#include "FakeClock.h"
#include "MemoryLine.h"
#include "ScriptedPrompter.h"
#include "VexaDlg.h"

// A main window on an in-memory line, started in a fresh current directory so that each test
// has its own port file.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_previousDir = QDir::currentPath();
        ASSERT_TRUE(m_dir.isValid());
        QDir::setCurrent(m_dir.path());
    }
    void TearDown() override {
        m_dlg.reset();
        QDir::setCurrent(m_previousDir);
    }

    CVexaDlg& Start(const std::function<void(MemoryLine&)>& prepare = {}) {
        auto line = std::make_unique<MemoryLine>(m_clock);
        m_line = line.get();
        if (prepare) prepare(*m_line);
        m_dlg = std::make_unique<CVexaDlg>(std::move(line), m_clock, m_prompter, m_options);
        m_dlg->show();
        return *m_dlg;
    }

    template <class T = QWidget>
    T* Control(int id) {
        T* control = FindControlAs<T>(m_dlg.get(), id);
        EXPECT_NE(control, nullptr) << "no control " << id;
        return control;
    }

    void Click(int id) { QTest::mouseClick(Control(id), Qt::LeftButton); }

    static QByteArray ReadFile(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static void WriteFile(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray PortFileBytes() const { return ReadFile(QStringLiteral("qzmcconfig.ini")); }
    QByteArray Sent() const { return m_line->SentBytes(); }

    QString m_previousDir;
    QTemporaryDir m_dir;
    FakeClock m_clock;
    ScriptedPrompter m_prompter;
    CVexaDlg::Options m_options;  // as the window is built by itself
    MemoryLine* m_line = nullptr;
    std::unique_ptr<CVexaDlg> m_dlg;
};
