#include "state/CatalogClient.h"

#include "state/ViewModelBinding.h"

namespace brimlark {

void CatalogClient::setCatalog(AppFinder *catalog)
{
    if (!rebindHandedObject(*this, m_catalog, catalog)) {
        return;
    }
    catalogBound();
    emit catalogChanged();
}

} // namespace brimlark
