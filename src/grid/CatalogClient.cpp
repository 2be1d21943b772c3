#include "grid/CatalogClient.h"

namespace brimlark {

void CatalogClient::setCatalog(AppFinder *catalog)
{
    if (m_catalog == catalog) {
        return;
    }
    m_catalog = catalog;
    emit catalogChanged();
}

} // namespace brimlark
