#include "grid/AppPickerController.h"

#include <algorithm>

namespace brimlark {

AppPickerController::AppPickerController(QObject *parent)
    : CatalogClient(parent)
{
}

void AppPickerController::viewModelBound()
{
    if (viewModel()) {
        connect(viewModel(), &BrimlarkViewModel::changed, this, &AppPickerController::refresh);
    }
    refresh();
}

void AppPickerController::setFolderValue(const AppFolder &folder)
{
    setFolder(folder.isNull() ? std::nullopt : std::optional(folder));
}

void AppPickerController::setFolder(const std::optional<AppFolder> &folder)
{
    m_folder = folder;
    emit folderChanged();
    refresh();
}

void AppPickerController::setSearchQuery(const QString &query)
{
    if (m_searchQuery == query) {
        return;
    }
    m_searchQuery = query;
    emit searchQueryChanged();
    refresh();
}

QStringList AppPickerController::markedPaths() const
{
    QStringList out;
    for (const auto &app : m_marked) {
        out << app.id();
    }
    return out;
}

QList<AppItem> AppPickerController::filter(const QList<AppItem> &candidates, const QString &query)
{
    if (query.isEmpty()) {
        return candidates;
    }
    QList<AppItem> out;
    for (const auto &app : candidates) {
        if (app.name().contains(query, Qt::CaseInsensitive)) {
            out << app;
        }
    }
    return out;
}

QSizeF AppPickerController::sheetSize(const QSizeF &window)
{
    const auto fit = [](qreal preferred, qreal available) {
        return std::max<qreal>(0, std::min(preferred, available - 2 * windowMargin));
    };
    return { fit(preferredSize.width(), window.width()), fit(preferredSize.height(), window.height()) };
}

QSizeF AppPickerController::fittedSize(qreal windowWidth, qreal windowHeight) const
{
    return sheetSize({ windowWidth, windowHeight });
}

void AppPickerController::toggle(const QString &path)
{
    const auto marked = std::find_if(
        m_marked.begin(), m_marked.end(), [&path](const AppItem &app) { return app.id() == path; });
    if (marked != m_marked.end()) {
        m_marked.erase(marked);
    } else {
        const int row = m_apps.indexOfPath(path);
        if (row < 0) {
            return;
        }
        m_marked << m_apps.apps().at(row);
    }
    emit marksChanged();
}

void AppPickerController::done()
{
    if (catalog() && m_folder) {
        // The catalog finds the folder again by its id; a folder deleted
        // meanwhile takes nothing.
        for (const auto &app : std::as_const(m_marked)) {
            catalog()->addAppToFolder(app, *m_folder);
        }
    }
    emit finished();
}

void AppPickerController::refresh()
{
    const QList<AppItem> candidates
        = viewModel() && m_folder ? viewModel()->appsNotInFolder(*m_folder) : QList<AppItem>();
    m_apps.setApps(filter(candidates, m_searchQuery));
}

} // namespace brimlark
