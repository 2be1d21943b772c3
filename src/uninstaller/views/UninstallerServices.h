#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <memory>

namespace brimlark {

class AppUninstallerScanner;
class DiskAccess;
class Scheduler;

// What every uninstall sheet needs from the application, built once by the
// composition root: a fresh scanner per sheet, the access probe and the
// main-thread scheduler its poll runs on. Handed to the sheet's view by
// whoever composes the window.
class UninstallerServices : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The program makes the uninstaller's services")
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
