#include "platform/core/ApplicationLauncher.h"

#include "platform/core/Bundle.h"

#include <QFileInfo>
#include <QProcess>

namespace brimlark {

ApplicationLauncher::~ApplicationLauncher() = default;

bool ApplicationLauncher::openApplication(const QString &bundlePath)
{
    const auto bundle = Bundle::open(bundlePath);
    if (!bundle) {
        return false;
    }
    const auto executable = bundle->executablePath();
    if (!executable) {
        return false;
    }
    const QFileInfo info(*executable);
    if (!info.isFile() || !info.isExecutable()) {
        return false;
    }
    return QProcess::startDetached(*executable, {}, QFileInfo(bundlePath).absolutePath());
}

} // namespace brimlark
