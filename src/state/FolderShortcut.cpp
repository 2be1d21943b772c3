#include "state/FolderShortcut.h"

#include "platform/core/KeyDownEvent.h"
#include "state/BrimlarkViewModel.h"

namespace brimlark {

FolderShortcut::FolderShortcut(BrimlarkViewModel &viewModel, QObject *parent)
    : QObject(parent)
    , m_viewModel(viewModel)
{
}

QList<AppFolder> FolderShortcut::matches(const QString &letter) const
{
    QList<AppFolder> out;
    if (letter.isEmpty()) {
        return out;
    }
    for (const auto &folder : m_viewModel.getRootFolders()) {
        if (folder.name.toLower().startsWith(letter)) {
            out << folder;
        }
    }
    return out;
}

bool FolderShortcut::handle(const QString &letter)
{
    const QList<AppFolder> found = matches(letter);
    if (found.isEmpty()) {
        return false;
    }
    qsizetype next = 0;
    const auto &selection = m_viewModel.selection();
    if (selection && selection->is(SidebarSelection::Kind::folder)) {
        const QUuid current = selection->folder().id;
        for (qsizetype i = 0; i < found.size(); ++i) {
            if (found[i].id == current) {
                next = (i + 1) % found.size();
                break;
            }
        }
    }
    m_viewModel.setSelection(SidebarSelection::ofFolder(found[next]));
    return true;
}

std::optional<QString> FolderShortcut::letter(const KeyDownEvent &event)
{
    if ((event.modifierFlags & KeyModifier::deviceIndependentMask) != KeyModifier::command) {
        return std::nullopt;
    }
    if (event.charactersIgnoringModifiers.size() != 1) {
        return std::nullopt;
    }
    const QString letter = event.charactersIgnoringModifiers.toLower();
    const QChar c = letter.front();
    // Command+K belongs to the search command.
    if (c < u'a' || c > u'z' || c == u'k') {
        return std::nullopt;
    }
    // Select all, copy, paste, cut and undo stay with the text field.
    if (event.textInputHasFocus && QStringView(u"acvxz").contains(c)) {
        return std::nullopt;
    }
    return letter;
}

bool FolderShortcut::claimsKeyDown(const KeyDownEvent &event) const
{
    const auto found = letter(event);
    return found && !matches(*found).isEmpty();
}

bool FolderShortcut::handleKeyDown(const KeyDownEvent &event)
{
    const auto found = letter(event);
    return found && handle(*found);
}

} // namespace brimlark
