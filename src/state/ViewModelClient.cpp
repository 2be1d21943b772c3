#include "state/ViewModelClient.h"

#include "state/ViewModelBinding.h"

namespace brimlark {

void ViewModelClient::setViewModel(BrimlarkViewModel *viewModel)
{
    if (!rebindHandedObject(*this, m_viewModel, viewModel)) {
        return;
    }
    viewModelBound();
    emit viewModelChanged();
}

} // namespace brimlark
