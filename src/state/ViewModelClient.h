#pragma once

#include "state/BrimlarkViewModel.h"

#include <QObject>
#include <QPointer>

namespace brimlark {

// A view's controller that works on the view model its view hands it. A new
// view model drops every connection the old one had to the controller; the
// controller connects to the new one in viewModelBound().
class ViewModelClient : public QObject
{
    Q_OBJECT
    Q_PROPERTY(
        brimlark::BrimlarkViewModel *viewModel READ viewModel WRITE setViewModel NOTIFY viewModelChanged)

public:
    using QObject::QObject;

    BrimlarkViewModel *viewModel() const { return m_viewModel; }
    void setViewModel(BrimlarkViewModel *viewModel);

signals:
    void viewModelChanged();

protected:
    // The view model changed (to null, perhaps); viewModelChanged() follows.
    virtual void viewModelBound() { }

private:
    QPointer<BrimlarkViewModel> m_viewModel;
};

} // namespace brimlark
