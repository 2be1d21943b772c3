#pragma once

#include <QObject>

#include <functional>
#include <memory>

namespace brimlark {

class AppUninstallerScanner;
class DiskAccess;
class Scheduler;

// What every uninstall sheet needs from the application, built once by the
// composition root: a fresh scanner per sheet, the access probe and the
// main-thread scheduler its poll runs on.
class UninstallerServices : public QObject
{
    Q_OBJECT
public:
    using ScannerFactory = std::function<std::unique_ptr<AppUninstallerScanner>()>;

    UninstallerServices(
        ScannerFactory makeScanner, DiskAccess &diskAccess, Scheduler &scheduler, QObject *parent = nullptr)
        : QObject(parent)
        , makeScanner(std::move(makeScanner))
        , diskAccess(diskAccess)
        , scheduler(scheduler)
    {
    }

    const ScannerFactory makeScanner;
    DiskAccess &diskAccess;
    Scheduler &scheduler;
};

} // namespace brimlark
