#pragma once

#include "model/AppFolder.h"

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

namespace brimlark {

class BrimlarkViewModel;
struct KeyDownEvent;

// The folder shortcut: Command and a letter selects the next root folder
// whose name begins with that letter, cycling through the matches. It reads
// the view model's selection and the catalog's folders and sets the
// selection; the view model knows nothing of it. Main thread only.
class FolderShortcut : public QObject
{
    Q_OBJECT

public:
    // The view model must outlive the shortcut (make it the parent).
    explicit FolderShortcut(BrimlarkViewModel &viewModel, QObject *parent = nullptr);

    // The rule for one key-down: the letter it stands for, if any. Command
    // alone with one letter a–z other than "k"; the editing keys A, C, V, X
    // and Z are left alone while a text field has the focus.
    static std::optional<QString> letter(const KeyDownEvent &event);
    // Selects the next matching root folder for the lower-case letter;
    // false when there is none.
    bool handle(const QString &letter);
    // Whether the key would select a folder (changes nothing).
    bool claimsKeyDown(const KeyDownEvent &event) const;
    // The key handler; true consumes the key.
    bool handleKeyDown(const KeyDownEvent &event);

private:
    QList<AppFolder> matches(const QString &letter) const;

    BrimlarkViewModel &m_viewModel;
};

} // namespace brimlark
