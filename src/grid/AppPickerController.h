#pragma once

#include "grid/AppTileModel.h"
#include "model/AppFolder.h"
#include "model/AppItem.h"
#include "state/BrimlarkViewModel.h"
#include "state/CatalogClient.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

#include <optional>

namespace brimlark {

// The app picker's state for one folder: the search text, the applications
// not yet in the folder that match it, and the marks in the order the user
// set them. "Done" adds the marked applications in that order, so a folder
// comes out the same on every run.
class AppPickerController : public CatalogClient
{
    Q_OBJECT
    QML_ELEMENT
    // The folder to fill: the copy taken when the picker opened.
    Q_PROPERTY(brimlark::AppFolder folder READ folderValue WRITE setFolderValue NOTIFY folderChanged)
    Q_PROPERTY(QString searchQuery READ searchQuery WRITE setSearchQuery NOTIFY searchQueryChanged)
    Q_PROPERTY(brimlark::AppTileModel *apps READ apps CONSTANT)
    // Bundle paths of the marked applications, in marking order.
    Q_PROPERTY(QStringList markedPaths READ markedPaths NOTIFY marksChanged)

public:
    static constexpr QSizeF preferredSize { 550, 650 };
    // Kept free around the sheet inside the window.
    static constexpr qreal windowMargin = 20;

    explicit AppPickerController(QObject *parent = nullptr);

    AppFolder folderValue() const { return m_folder.value_or(AppFolder()); }
    void setFolderValue(const AppFolder &folder);
    void setFolder(const std::optional<AppFolder> &folder);
    const QString &searchQuery() const { return m_searchQuery; }
    void setSearchQuery(const QString &query);
    AppTileModel *apps() { return &m_apps; }
    QStringList markedPaths() const;
    const QList<AppItem> &marked() const { return m_marked; }

    // The candidates whose name holds the query, case-insensitively, in
    // their order; the query is used as typed (nothing trimmed).
    static QList<AppItem> filter(const QList<AppItem> &candidates, const QString &query);
    // The sheet's size in a window: its preferred size, shrunk to fit.
    static QSizeF sheetSize(const QSizeF &window);
    Q_INVOKABLE QSizeF fittedSize(qreal windowWidth, qreal windowHeight) const;

    // Marks the application at that path, or unmarks it when it is marked.
    Q_INVOKABLE void toggle(const QString &path);
    // Adds the marked applications in marking order, then asks to close.
    Q_INVOKABLE void done();

signals:
    void folderChanged();
    void searchQueryChanged();
    void marksChanged();
    // "Done" has added the applications: close the sheet.
    void finished();

protected:
    void viewModelBound() override;

private:
    void refresh();

    std::optional<AppFolder> m_folder;
    QString m_searchQuery;
    AppTileModel m_apps;
    QList<AppItem> m_marked;
};

} // namespace brimlark
