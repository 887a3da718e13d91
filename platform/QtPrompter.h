#pragma once

#include <QFileDialog>
#include <QMessageBox>
#include <memory>

#include "Prompter.h"

class QWidget;

// Message boxes and file dialogs with Qt's widgets, owned by the given window.
class QtPrompter : public Prompter {
public:
    explicit QtPrompter(QWidget* owner = nullptr) : m_owner(owner) {}
    void SetOwner(QWidget* owner) { m_owner = owner; }

    PromptAnswer Message(const PromptMessage& message) override;
    std::optional<QString> OpenFile(const FileRequest& request) override;
    std::optional<QString> SaveFile(const FileRequest& request) override;

    // "Text (*.txt)|*.txt|All (*.*)|*.*||" -> "Text (*.txt);;All (*.*)".
    static QString ToQtFilter(const QString& filter);
    // "*.bin", ".bin" or "bin" -> "bin".
    static QString ToQtSuffix(const QString& extension);
    // Line breaks written as "\r" or "\r\n" become "\n".
    static QString ToQtText(const QString& text);
    // The box or dialog as it will be shown, before it runs.
    static std::unique_ptr<QMessageBox> CreateMessageBox(const PromptMessage& message,
                                                         QWidget* owner);
    static std::unique_ptr<QFileDialog> CreateFileDialog(const FileRequest& request,
                                                         QFileDialog::AcceptMode mode,
                                                         QWidget* owner);
    // What the box's result means; closing the box counts as its negative answer.
    static PromptAnswer ToAnswer(int result, PromptButtons buttons);

private:
    static constexpr int kWholeNamesWidth = 760;
    static void ShowWholeNames(QFileDialog& dialog);
    std::optional<QString> RunFileDialog(const FileRequest& request, QFileDialog::AcceptMode mode);

    QWidget* m_owner;
};
