#pragma once

#include "state/HiddenItemsLock.h"

#include <QCoreApplication>
#include <QString>
#include <QThread>

#include <optional>

namespace brimlark::test {

// What a hidden-items lock operation answered, and on which thread.
struct Outcome
{
    int calls = 0;
    bool success = false;
    std::optional<QString> message;
    bool onMainThread = false;

    HiddenItemsLock::Completion completion()
    {
        return [this](bool ok, std::optional<QString> m) {
            ++calls;
            success = ok;
            message = std::move(m);
            onMainThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        };
    }
};

} // namespace brimlark::test
