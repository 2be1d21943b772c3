#pragma once

#include "model/AppFinder.h"
#include "state/ViewModelClient.h"

#include <QObject>
#include <QPointer>

namespace brimlark {

// A controller that edits the catalog its view hands it
// (`catalog: viewModel.catalog`) and reads the rest from the view model.
// Without a catalog its edits do nothing. A new catalog drops every
// connection the old one had to the controller; the controller connects to
// the new one in catalogBound().
class CatalogClient : public ViewModelClient
{
    Q_OBJECT
    Q_PROPERTY(brimlark::AppFinder *catalog READ catalog WRITE setCatalog NOTIFY catalogChanged)

public:
    using ViewModelClient::ViewModelClient;

    AppFinder *catalog() const { return m_catalog; }
    void setCatalog(AppFinder *catalog);

signals:
    void catalogChanged();

protected:
    // The catalog changed (to null, perhaps); catalogChanged() follows.
    virtual void catalogBound() { }

private:
    QPointer<AppFinder> m_catalog;
};

} // namespace brimlark
