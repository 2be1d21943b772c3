#pragma once

#include "model/AppFinder.h"
#include "model/AppFolder.h"

#include <QObject>
#include <QPointer>

namespace brimlark {

// What both folder pickers share: the folder they were opened for (its id
// names it to the catalog) and its current value, re-read whenever the
// catalog's folders change, so the marks follow what was stored last.
class FolderPickerBase : public QObject
{
    Q_OBJECT
    // The catalog the picker stores in.
    Q_PROPERTY(brimlark::AppFinder *catalog READ catalog WRITE setCatalog NOTIFY catalogChanged)
    // The folder the picker was opened for.
    Q_PROPERTY(brimlark::AppFolder folder READ folder WRITE setFolder NOTIFY folderChanged)

public:
    explicit FolderPickerBase(QObject *parent = nullptr);

    AppFinder *catalog() const { return m_catalog; }
    void setCatalog(AppFinder *catalog);
    void setFolder(const AppFolder &folder);

    // The folder as the catalog has it now, or as given when it has gone.
    const AppFolder &folder() const { return m_folder; }

signals:
    void catalogChanged();
    void folderChanged();

private:
    void reload();

    QPointer<AppFinder> m_catalog;
    AppFolder m_folder;
};

} // namespace brimlark
