#include "platform/gui/AppIconLoader.h"

#include "platform/gui/AppIconStore.h"

#include <QPointer>

namespace brimlark {

AppIconLoader::AppIconLoader(AppIconStore &store, QObject *parent)
    : QObject(parent)
    , m_store(store)
{
}

void AppIconLoader::loadIcon(const QString &path)
{
    if (m_path != path) {
        m_path = path;
        emit pathChanged();
    }
    const int size = m_store.iconSize();
    if (auto hit = m_store.cached(path, size)) {
        setIcon(*hit);
        return;
    }
    QPointer<AppIconLoader> guard(this);
    m_store.load(path, size, [guard, path](const QImage &icon) {
        // An icon for a path this view no longer shows is dropped, so a slow
        // load never replaces the icon of the path shown now.
        if (guard && guard->m_path == path) {
            guard->setIcon(icon);
        }
    });
}

void AppIconLoader::setIcon(const QImage &icon)
{
    m_icon = icon;
    emit iconChanged();
}

QImage AppIconLoader::getGenericAppIcon()
{
    AppIconStore &store = AppIconStore::shared();
    return store.genericAppIcon(store.iconSize());
}

} // namespace brimlark
