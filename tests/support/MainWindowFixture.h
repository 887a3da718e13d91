#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <variant>

#include "ControlLookup.h"
#include "FakeClock.h"
#include "MemoryLine.h"
#include "ParamTable.h"
#include "ParameterFileReader.h"
#include "ResourceIds.h"
#include "ScriptedController.h"
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
    QString StatusText() const { return FindControlAs<QLineEdit>(m_dlg.get(), IDC_STATUS)->text(); }

    // What the controller at the line's far end holds, as wire values: m_held where it names a
    // letter, else the firmware version m_firmware for "V" and the value the window shows as 0.
    int HeldWire(char letter) const {
        if (const auto held = m_held.find(letter); held != m_held.end()) return held->second;
        return letter == 'V' ? m_firmware : WireFromShown(letter, 0, m_firmware);
    }
    // The window started with the controller answering its start-up read-back to the end.
    CVexaDlg& StartOnController() {
        CVexaDlg& dlg = Start();
        AnswerReadBack();
        return dlg;
    }
    // The controller answers the read-back the window has on the line, from the query sent
    // last to the end, with what it holds. Afterwards it answers nothing more and only takes
    // in every set command sent ("SXdddd\r"), until the test puts another far end on the line.
    void AnswerReadBack() {
        ASSERT_FALSE(m_line->Sent().empty());
        ASSERT_TRUE(m_line->Sent().back().bytes.startsWith('?')) << "no query waits for its reply";
        QSignalSpy settled(m_dlg.get(), &CVexaDlg::ReadBackSettled);
        {
            ScriptedController controller(*m_line,
                                          [this](char letter) { return HeldWire(letter); });
            m_line->onWritten(m_line->Sent().back().bytes);  // the query asked before it came
            for (int turn = 0; turn < 20000 && settled.isEmpty(); ++turn)
                QCoreApplication::processEvents();
        }
        ASSERT_EQ(settled.size(), 1) << "the read-back did not end";
        TakeInSets();
    }
    // The refresh button, with the read-back it starts answered by the controller.
    void RefreshFromController() {
        QTest::mouseClick(FindControl(m_dlg.get(), IDC_REFRESH), Qt::LeftButton);
        AnswerReadBack();
    }
    void TakeInSets() {
        m_line->onWritten = [this](const QByteArray& frame) {
            if (frame.size() == 7 && frame[0] == 'S') m_held[frame[1]] = frame.mid(2, 4).toInt();
        };
    }

    // The window's save (button 1015 answered Ok) into a new file in the test's folder; its
    // path, empty when the button could not be pressed.
    QString SaveThroughTheWindow() {
        auto* save = FindControl(m_dlg.get(), IDC_SAVE_DATA);
        if (save == nullptr || !save->isEnabled()) {
            ADD_FAILURE() << "the save button cannot be pressed";
            return {};
        }
        const QString path = m_dir.filePath(QStringLiteral("saved-%1.txt").arg(++m_nSaves));
        m_prompter.QueueAnswer(PromptAnswer::Ok);
        m_prompter.QueueFile(path);
        QTest::mouseClick(save, Qt::LeftButton);
        return path;
    }
    // What the window's save writes now, read as a restore reads it: the values of the cache
    // slots 0 to 190.
    ParameterValues SavedFileValues() {
        const QString path = SaveThroughTheWindow();
        if (path.isEmpty()) return {};
        const auto read = ReadParameterFile(ReadFile(path));
        if (const auto* problem = std::get_if<FileProblem>(&read)) {
            ADD_FAILURE() << "the save wrote no parameter file: "
                          << problem->Describe(true).toStdString();
            return {};
        }
        return std::get<ParameterValues>(read);
    }
    // A letter's value in what the save writes, as the window shows it (a bit-field letter's
    // mask from its flag lines).
    int Saved(char letter) {
        const ParameterValues values = SavedFileValues();
        if (BitCountOf(letter) > 0) return MaskFromCache(letter, values);
        return ShownFromSaved(letter, values[std::size_t(*CacheSlotOf(letter))], m_firmware);
    }

    // Nothing on the line waits for an answer: two seconds of silence, longer than any echo's
    // or reply's time-out, send nothing and change neither the status nor the messages.
    void ExpectNothingAwaited() {
        const QByteArray sent = Sent();
        const QString status = StatusText();
        const std::size_t shown = m_prompter.Shown().size();
        m_clock.Advance(std::chrono::seconds(2));
        QCoreApplication::processEvents();
        EXPECT_EQ(Sent(), sent) << "something was sent again";
        EXPECT_EQ(StatusText(), status);
        EXPECT_EQ(m_prompter.Shown().size(), shown);
    }
    // An echo chain waits for the echo of `letter`: a second without it, and the status says
    // that the controller did not confirm it.
    void ExpectEchoAwaited() {
        m_clock.Advance(std::chrono::seconds(1));
        QCoreApplication::processEvents();
        EXPECT_TRUE(StatusText().startsWith(QStringLiteral("飞控未确认")) ||
                    StatusText().contains(QStringLiteral("did not confirm")))
            << StatusText().toStdString();
    }

    QString m_previousDir;
    QTemporaryDir m_dir;
    FakeClock m_clock;
    ScriptedPrompter m_prompter;
    CVexaDlg::Options m_options;  // as the window is built by itself
    MemoryLine* m_line = nullptr;
    std::unique_ptr<CVexaDlg> m_dlg;
    std::map<char, int> m_held;  // the controller's values by letter (see HeldWire)
    int m_firmware = 1218;
    int m_nSaves = 0;
};
