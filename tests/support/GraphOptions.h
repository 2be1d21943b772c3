#pragma once

#include "state/ObjectGraph.h"

#include <QDateTime>

namespace brimlark::test {

// The graph the view tests share: a manual scheduler, a fixed clock, no
// file dates, and the cheapest password hashing.
inline ObjectGraph::Options fixedClockOptions(
    Scheduler &scheduler, ApplicationLauncher &launcher, Biometrics &biometrics)
{
    ObjectGraph::Options o;
    o.scheduler = &scheduler;
    o.clock = [] { return QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC); };
    o.fileDates = [](const QString &) { return std::nullopt; };
    o.launcher = &launcher;
    o.biometrics = &biometrics;
    o.passwordLimits = PasswordHashing::Limits::minimum();
    return o;
}

} // namespace brimlark::test
