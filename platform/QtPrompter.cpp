#include "QtPrompter.h"

#include <QHeaderView>
#include <QTreeView>
#include <QUrl>
#include <algorithm>

namespace {

QMessageBox::Icon ToQtIcon(PromptIcon icon) {
    switch (icon) {
        case PromptIcon::Information:
            return QMessageBox::Information;
        case PromptIcon::Warning:
            return QMessageBox::Warning;
        case PromptIcon::Question:
            return QMessageBox::Question;
        case PromptIcon::Stop:
            return QMessageBox::Critical;
        case PromptIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton ToQtButton(PromptAnswer answer) {
    switch (answer) {
        case PromptAnswer::Ok:
            return QMessageBox::Ok;
        case PromptAnswer::Cancel:
            return QMessageBox::Cancel;
        case PromptAnswer::Yes:
            return QMessageBox::Yes;
        case PromptAnswer::No:
            return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButtons ToQtButtons(PromptButtons buttons) {
    switch (buttons) {
        case PromptButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case PromptButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case PromptButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case PromptButtons::Ok:
            break;
    }
    return QMessageBox::Ok;
}

}  // namespace

QString QtPrompter::ToQtText(const QString& text) {
    return QString(text)
        .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

std::unique_ptr<QMessageBox> QtPrompter::CreateMessageBox(const PromptMessage& message,
                                                          QWidget* owner) {
    auto box =
        std::make_unique<QMessageBox>(ToQtIcon(message.icon), message.caption,
                                      ToQtText(message.text), ToQtButtons(message.buttons), owner);
    box->setTextFormat(Qt::PlainText);
    box->setDefaultButton(ToQtButton(message.defaultAnswer));
    return box;
}

PromptAnswer QtPrompter::ToAnswer(int result, PromptButtons buttons) {
    switch (result) {
        case QMessageBox::Ok:
            return PromptAnswer::Ok;
        case QMessageBox::Cancel:
            return PromptAnswer::Cancel;
        case QMessageBox::Yes:
            return PromptAnswer::Yes;
        case QMessageBox::No:
            return PromptAnswer::No;
        default:
            break;
    }
    if (buttons == PromptButtons::YesNo) return PromptAnswer::No;
    return buttons == PromptButtons::OkCancel || buttons == PromptButtons::YesNoCancel
               ? PromptAnswer::Cancel
               : PromptAnswer::Ok;
}

PromptAnswer QtPrompter::Message(const PromptMessage& message) {
    const std::unique_ptr<QMessageBox> box = CreateMessageBox(message, m_owner);
    return ToAnswer(box->exec(), message.buttons);
}

// Each description/pattern pair becomes one Qt filter entry. Qt takes the patterns from the
// parentheses at the end of the entry, so a description without them gets its pattern added.
QString QtPrompter::ToQtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        if (description.endsWith(QLatin1Char(')')) && description.contains(QLatin1Char('(')))
            entries << description;
        else
            entries << QStringLiteral("%1 (%2)").arg(description,
                                                     QString(parts[i + 1]).replace(';', ' '));
    }
    return entries.join(QStringLiteral(";;"));
}

QString QtPrompter::ToQtSuffix(const QString& extension) {
    QString suffix = extension.trimmed();
    while (suffix.startsWith(QLatin1Char('*')) || suffix.startsWith(QLatin1Char('.')))
        suffix.remove(0, 1);
    return suffix;
}

std::unique_ptr<QFileDialog> QtPrompter::CreateFileDialog(const FileRequest& request,
                                                          QFileDialog::AcceptMode mode,
                                                          QWidget* owner) {
    auto dialog =
        std::make_unique<QFileDialog>(owner, QString(), QString(), ToQtFilter(request.filter));
    dialog->setAcceptMode(mode);
    dialog->setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                        : QFileDialog::AnyFile);
    dialog->setDefaultSuffix(ToQtSuffix(request.defaultExtension));
    if (!request.folder.isEmpty()) dialog->setDirectory(request.folder);
    if (!request.defaultName.isEmpty()) dialog->selectFile(request.defaultName);
    if (!request.sidebarFolders.isEmpty()) {
        QList<QUrl> places = dialog->sidebarUrls();
        for (const QString& folder : request.sidebarFolders)
            if (!places.contains(QUrl::fromLocalFile(folder)))
                places << QUrl::fromLocalFile(folder);
        dialog->setSidebarUrls(places);
    }
    if (request.wholeNames) ShowWholeNames(*dialog);
    return dialog;
}

void QtPrompter::ShowWholeNames(QFileDialog& dialog) {
    // Qt's own dialog, in its detail view, with the name column as wide as the longest name:
    // a desktop's dialog might cut "2026-12-08_10-05-33_before-reference.txt" to "2026-12…".
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setViewMode(QFileDialog::Detail);
    if (auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        list->setTextElideMode(Qt::ElideNone);
        list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    }
    dialog.resize(std::max(dialog.width(), kWholeNamesWidth), dialog.height());
}

std::optional<QString> QtPrompter::RunFileDialog(const FileRequest& request,
                                                 QFileDialog::AcceptMode mode) {
    const std::unique_ptr<QFileDialog> dialog = CreateFileDialog(request, mode, m_owner);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return std::nullopt;
    return dialog->selectedFiles().first();
}

std::optional<QString> QtPrompter::OpenFile(const FileRequest& request) {
    return RunFileDialog(request, QFileDialog::AcceptOpen);
}

std::optional<QString> QtPrompter::SaveFile(const FileRequest& request) {
    return RunFileDialog(request, QFileDialog::AcceptSave);
}
