#pragma once

#include "state/HiddenItemsLock.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

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

// A password check run to its end: the answer.
inline bool check(HiddenItemsLock &lock, const QString &text)
{
    std::optional<bool> answer;
    EXPECT_TRUE(lock.checkPassword(text, [&answer](bool ok) { answer = ok; }));
    EXPECT_TRUE(waitUntil([&answer] { return answer.has_value(); }));
    return answer.value_or(false);
}

// Sets a password and waits for the outcome.
inline Outcome setPassword(HiddenItemsLock &lock, const QString &password, bool useTouchID)
{
    Outcome outcome;
    EXPECT_TRUE(lock.setSecurityPassword(password, useTouchID, outcome.completion()));
    EXPECT_TRUE(waitUntil([&outcome] { return outcome.calls == 1; }));
    return outcome;
}

} // namespace brimlark::test
