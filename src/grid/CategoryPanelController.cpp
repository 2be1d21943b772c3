#include "grid/CategoryPanelController.h"

#include <QTimer>

#include <QPointer>

#include <algorithm>

namespace brimlark {

CategoryPanelController::CategoryPanelController(QObject *parent)
    : ViewModelClient(parent)
{
}

CategoryPanelController::~CategoryPanelController()
{
    if (m_pendingDismiss && m_pendingDismiss->first) {
        m_pendingDismiss->first->scheduler().cancel(m_pendingDismiss->second);
    }
}

void CategoryPanelController::viewModelBound() { }

void CategoryPanelController::setAppList(const QList<AppItem> &apps)
{
    m_apps.setApps(apps);
    emit appListChanged();
}

QSizeF CategoryPanelController::panelSize(const QSizeF &available)
{
    const double width = std::max(0.0, available.width() - 2 * margin);
    const double height = std::max(0.0, available.height() - 2 * margin);
    return { std::min(preferredSize.width(), width), std::min(preferredSize.height(), height) };
}

void CategoryPanelController::dismissWithAnimation()
{
    if (m_dismissing) {
        return;
    }
    m_dismissing = true;
    emit dismissingChanged();
    QPointer<CategoryPanelController> self(this);
    auto done = [self] {
        if (self) {
            self->m_pendingDismiss.reset();
            emit self->dismissed();
        }
    };
    if (viewModel()) {
        m_pendingDismiss
            = std::make_pair(viewModel(), viewModel()->scheduler().schedule(closeDuration, done));
    } else {
        QTimer::singleShot(closeDuration, this, done);
    }
}

} // namespace brimlark
