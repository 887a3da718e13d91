#pragma once

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

private:
    QWidget* m_owner;
};
