#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QPushButton>
#include <QTreeView>
#include <QUrl>

#include "QtPrompter.h"

namespace {

TEST(QtPrompterTest, FilterPairsBecomeQtFilterEntries) {
    EXPECT_EQ(QtPrompter::ToQtFilter(QStringLiteral("Text (*.txt)|*.txt|All (*.*)|*.*||")),
              QStringLiteral("Text (*.txt);;All (*.*)"));
    EXPECT_EQ(QtPrompter::ToQtFilter(QStringLiteral("升级文件(*.bin)|*.bin|所有文件(*.*)|*.*||")),
              QStringLiteral("升级文件(*.bin);;所有文件(*.*)"));
    EXPECT_EQ(QtPrompter::ToQtFilter(QStringLiteral("文本文件 (*.txt)|*.txt||")),
              QStringLiteral("文本文件 (*.txt)"));
    // Without patterns in the description Qt would take the description as the pattern.
    EXPECT_EQ(QtPrompter::ToQtFilter(QStringLiteral("Logs|*.txt;*.log||")),
              QStringLiteral("Logs (*.txt *.log)"));
    EXPECT_EQ(QtPrompter::ToQtFilter(QString()), QString());
}

TEST(QtPrompterTest, FileDialogsGetFilterSuffixAndName) {
    FileRequest save{QStringLiteral("文本文件 (*.txt)|*.txt||"), QStringLiteral(".txt"),
                     QStringLiteral("Data")};
    const auto saveDialog = QtPrompter::CreateFileDialog(save, QFileDialog::AcceptSave, nullptr);
    EXPECT_EQ(saveDialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(saveDialog->nameFilters(), QStringList{QStringLiteral("文本文件 (*.txt)")});
    EXPECT_EQ(saveDialog->defaultSuffix(), QStringLiteral("txt"));

    FileRequest open{QStringLiteral("Firmware(*.bin)|*.bin|All(*.*)|*.*||"),
                     QStringLiteral("*.bin"), QString()};
    const auto openDialog = QtPrompter::CreateFileDialog(open, QFileDialog::AcceptOpen, nullptr);
    EXPECT_EQ(openDialog->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(openDialog->nameFilters().size(), 2);
    EXPECT_EQ(openDialog->defaultSuffix(), QStringLiteral("bin"));
    EXPECT_EQ(QtPrompter::ToQtSuffix(QStringLiteral("*.txt")), QStringLiteral("txt"));
}

TEST(QtPrompterTest, FileDialogStartsInTheFolderAskedFor) {
    FileRequest request;
    request.folder = QDir::tempPath();
    const auto dialog = QtPrompter::CreateFileDialog(request, QFileDialog::AcceptOpen, nullptr);
    EXPECT_EQ(dialog->directory().absolutePath(), QDir(QDir::tempPath()).absolutePath());
}

TEST(QtPrompterTest, AskedForFoldersAreAddedToTheSidebarOnce) {
    FileRequest open{QStringLiteral("Text(*.txt)|*.txt||"),
                     QStringLiteral("*.txt"),
                     QString(),
                     {QStringLiteral("/tmp/backups"), QStringLiteral("/tmp/backups")}};
    const auto dialog = QtPrompter::CreateFileDialog(open, QFileDialog::AcceptOpen, nullptr);
    EXPECT_EQ(dialog->sidebarUrls().count(QUrl::fromLocalFile(QStringLiteral("/tmp/backups"))), 1);
}

TEST(QtPrompterTest, LongNamesAreListedWholeWhenAskedFor) {
    for (const bool whole : {false, true}) {
        FileRequest request;
        request.wholeNames = whole;
        const auto dialog = QtPrompter::CreateFileDialog(request, QFileDialog::AcceptOpen, nullptr);
        const auto* list = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->textElideMode() == Qt::ElideNone, whole);
    }
}

TEST(QtPrompterTest, MessageBoxShowsTheTextWithLineBreaksAndTheRequestedButtons) {
    const PromptMessage message{QStringLiteral("提示："), QStringLiteral("one\r\rtwo\r\nthree <b>"),
                                PromptButtons::YesNo, PromptIcon::Stop, PromptAnswer::No};
    const auto box = QtPrompter::CreateMessageBox(message, nullptr);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("提示："));
    EXPECT_EQ(box->text(), QStringLiteral("one\n\ntwo\nthree <b>"));
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));

    EXPECT_EQ(QtPrompter::ToAnswer(QMessageBox::Yes, PromptButtons::YesNo), PromptAnswer::Yes);
    EXPECT_EQ(QtPrompter::ToAnswer(QMessageBox::Cancel, PromptButtons::OkCancel),
              PromptAnswer::Cancel);
    // Closed without a button.
    EXPECT_EQ(QtPrompter::ToAnswer(-1, PromptButtons::YesNo), PromptAnswer::No);
    EXPECT_EQ(QtPrompter::ToAnswer(-1, PromptButtons::OkCancel), PromptAnswer::Cancel);
    EXPECT_EQ(QtPrompter::ToAnswer(-1, PromptButtons::Ok), PromptAnswer::Ok);
}

}  // namespace
