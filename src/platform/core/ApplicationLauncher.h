#pragma once

#include <QString>

namespace brimlark {

// Starts application bundles. It needs no GUI, so the view model can launch
// applications without linking the GUI part of the platform layer; the
// workspace service (icons, URLs) builds on it.
class ApplicationLauncher
{
public:
    virtual ~ApplicationLauncher();

    // Starts Contents/MacOS/<CFBundleExecutable> of the bundle, detached.
    // False when the bundle cannot be read, has no executable or it would not start.
    virtual bool openApplication(const QString &bundlePath);
};

} // namespace brimlark
