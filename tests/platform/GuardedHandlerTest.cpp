#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>
#include <stdexcept>

#include "CMSComm.h"
#include "CommError.h"
#include "FakeClock.h"
#include "GuardedHandler.h"
#include "MemoryLine.h"
#include "ScriptedPrompter.h"

namespace {

TEST(GuardedHandlerTest, AnErrorEndsTheHandlerThereAndIsShownWithAStopIcon) {
    ScriptedPrompter prompter;
    int reached = 0;
    const bool finished = RunGuarded(prompter, [&] {
        reached = 1;
        throw CommError(QStringLiteral("COM3 is not open"));
        reached = 2;
    });
    EXPECT_FALSE(finished);
    EXPECT_EQ(reached, 1);
    ASSERT_EQ(prompter.Shown().size(), 1u);
    EXPECT_EQ(prompter.Shown()[0].text, QStringLiteral("COM3 is not open"));
    EXPECT_EQ(prompter.Shown()[0].icon, PromptIcon::Stop);
    EXPECT_EQ(prompter.Shown()[0].buttons, PromptButtons::Ok);

    EXPECT_TRUE(RunGuarded(prompter, [] {}));
    EXPECT_FALSE(RunGuarded(prompter, [] { throw std::runtime_error("out of memory"); }));
    ASSERT_EQ(prompter.Shown().size(), 2u);
    EXPECT_EQ(prompter.Shown()[1].text, QStringLiteral("out of memory"));
}

// An error that has both texts is shown in the prompter's language of the moment.
TEST(GuardedHandlerTest, AnErrorInBothLanguagesIsShownInThePromptersLanguage) {
    ScriptedPrompter prompter;
    const CommError error(QStringLiteral("COM3 is not open"), QStringLiteral("COM3 未打开"));
    for (const bool english : {false, true, false}) {
        prompter.SetEnglish(english);
        RunGuarded(prompter, [&] { throw error; });
        EXPECT_EQ(prompter.Shown().back().text, english ? "COM3 is not open" : "COM3 未打开");
    }
    EXPECT_EQ(error.Text(), "COM3 is not open") << "the command line's text is the English one";
}

// The receive handler of the program reads Input; on a port that went closed the read fails,
// the operator is told, and the next notification is handled again.
TEST(GuardedHandlerTest, BoundHandlersSurviveTheirFailuresAndTakeTheSignalsArguments) {
    ScriptedPrompter prompter;
    FakeClock clock;
    auto line = std::make_unique<MemoryLine>(clock);
    MemoryLine& far = *line;
    CMSComm comm(std::move(line));
    comm.SetCommPort(1);
    comm.SetPortOpen(true);
    comm.SetRThreshold(1);
    QByteArray received;
    int afterRead = 0;
    BindGuarded(&comm, &CMSComm::OnComm, &comm, prompter, [&] {
        received += comm.GetInput();
        ++afterRead;
    });
    far.Inject("ab");
    comm.SetPortOpen(false);
    emit comm.OnComm();
    EXPECT_EQ(afterRead, 1);
    EXPECT_EQ(prompter.Shown().size(), 1u);
    comm.SetPortOpen(true);
    far.Inject("cd");
    EXPECT_EQ(received, QByteArrayLiteral("abcd"));

    QString lostReason;
    BindGuarded(&comm, &CMSComm::LineLost, &comm, prompter,
                [&](const QString& reason) { lostReason = reason; });
    emit comm.LineLost(QStringLiteral("gone"));
    EXPECT_EQ(lostReason, QStringLiteral("gone"));

    QComboBox list;
    list.addItems({QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3")});
    int chosen = -1;
    BindGuarded(&list, &QComboBox::currentIndexChanged, &list, prompter,
                [&](int index) { chosen = index; });
    int changes = 0;
    BindGuarded(&list, &QComboBox::currentIndexChanged, &list, prompter, [&] { ++changes; });
    list.setCurrentIndex(2);
    EXPECT_EQ(chosen, 2);
    EXPECT_EQ(changes, 1);

    QPushButton button;
    BindGuarded(&button, &QPushButton::clicked, &button, prompter,
                [&] { throw CommError(QStringLiteral("clicked")); });
    button.click();
    button.click();
    EXPECT_EQ(prompter.Shown().size(), 3u);

    QTimer timer;  // a signal with Qt's private tag argument
    int ticks = 0;
    BindGuarded(&timer, &QTimer::timeout, &timer, prompter, [&] { ++ticks; });
    timer.setSingleShot(true);
    timer.start(0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks == 1; }, 1000));
}

}  // namespace
