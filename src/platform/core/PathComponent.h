#pragma once

#include <QString>

namespace brimlark {

// A name a bundle's Info.plist gives for a file inside the bundle (its
// executable, its icon) must stay one plain entry of the folder it names:
// not empty, not "." or "..", no '/' and no NUL. Anything else could reach
// outside the bundle.
bool plainComponent(const QString &name);

} // namespace brimlark
