#include "state/HiddenItemsPassword.h"

#include "platform/base/Defaults.h"

#include <gtest/gtest.h>

using namespace brimlark;

namespace {

const auto minimum = PasswordHashing::Limits::minimum();
// Below the algorithm's floor, so hashing refuses.
const PasswordHashing::Limits failing { 0, 0 };

std::string stored(const Defaults &d)
{
    return d.string(HiddenItemsPassword::passwordKey).value_or("<absent>");
}

} // namespace

TEST(PasswordHashing, HashIsSaltedAndVerifies)
{
    const auto a = PasswordHashing::hash(QStringLiteral("correct horse"), minimum);
    const auto b = PasswordHashing::hash(QStringLiteral("correct horse"), minimum);
    ASSERT_TRUE(a && b);
    EXPECT_NE(*a, *b);
    EXPECT_EQ(a->find("correct"), std::string::npos);
    EXPECT_TRUE(PasswordHashing::isHash(*a));
    EXPECT_TRUE(PasswordHashing::verify(*a, QStringLiteral("correct horse")));
    EXPECT_TRUE(PasswordHashing::verify(*b, QStringLiteral("correct horse")));
    EXPECT_FALSE(PasswordHashing::verify(*a, QStringLiteral("Correct horse")));
    EXPECT_FALSE(PasswordHashing::verify(*a, QString()));
}

TEST(PasswordHashing, RecognisesOnlyRealHashes)
{
    const auto h = PasswordHashing::hash(QStringLiteral("x"), minimum);
    ASSERT_TRUE(h);
    const std::string notHashes[] = { "", "secret", "$argon2id$", "$argon2id$v=19$m=8,t=1,p=1$garbage",
        "$argon2i$v=19$m=8,t=1,p=1$c2FsdHNhbHQ$aGFzaA" };
    for (const auto &text : notHashes) {
        EXPECT_FALSE(PasswordHashing::isHash(text)) << text;
        EXPECT_FALSE(PasswordHashing::verify(text, QString::fromStdString(text))) << text;
    }
    EXPECT_FALSE(PasswordHashing::hash(QStringLiteral("x"), failing));
}

TEST(PasswordHashing, ComparesInNfc)
{
    const QString composed = QStringLiteral("caf\u00e9");
    const QString decomposed = QStringLiteral("cafe\u0301");
    ASSERT_NE(composed, decomposed);
    const auto h = PasswordHashing::hash(decomposed, minimum);
    ASSERT_TRUE(h);
    EXPECT_TRUE(PasswordHashing::verify(*h, composed));
    EXPECT_TRUE(PasswordHashing::verify(*h, decomposed));
    EXPECT_FALSE(PasswordHashing::verify(*h, QStringLiteral("cafe")));
}

TEST(HiddenItemsPassword, StoresOnlyAHashUnderTheSameKey)
{
    Defaults d;
    HiddenItemsPassword p(d, minimum);
    EXPECT_FALSE(p.isSet());
    ASSERT_TRUE(p.store(QStringLiteral("hunter2")));
    EXPECT_TRUE(p.isSet());
    EXPECT_TRUE(PasswordHashing::isHash(stored(d)));
    EXPECT_EQ(stored(d).find("hunter2"), std::string::npos);
    EXPECT_TRUE(p.matches(QStringLiteral("hunter2")));
    EXPECT_FALSE(p.matches(QStringLiteral("hunter")));
    EXPECT_FALSE(p.matches(QString()));
}

TEST(HiddenItemsPassword, AbsentEmptyOrUnreadableMeansNoPassword)
{
    const struct
    {
        const char *name;
        std::optional<DefaultsValue> value;
    } rows[] = {
        { "absent", std::nullopt },
        { "empty", DefaultsValue(std::string()) },
        { "integer", DefaultsValue(42) },
        { "bool", DefaultsValue(true) },
    };
    for (const auto &row : rows) {
        Defaults d;
        if (row.value) {
            d.set(HiddenItemsPassword::passwordKey, *row.value);
        }
        HiddenItemsPassword p(d, minimum);
        EXPECT_FALSE(p.isSet()) << row.name;
        EXPECT_TRUE(p.matches(QString())) << row.name;
        EXPECT_FALSE(p.matches(QStringLiteral("anything"))) << row.name;
    }
}

TEST(HiddenItemsPassword, ClearTextFromAnEarlierBuildIsReplacedAndStillUnlocks)
{
    Defaults d;
    d.set(HiddenItemsPassword::passwordKey, std::string("old secret"));
    HiddenItemsPassword p(d, minimum);
    EXPECT_TRUE(p.migrateClearText());
    EXPECT_TRUE(PasswordHashing::isHash(stored(d)));
    EXPECT_TRUE(p.matches(QStringLiteral("old secret")));
    EXPECT_FALSE(p.matches(QStringLiteral("old")));
    // A second migration leaves the hash alone.
    const std::string hash = stored(d);
    EXPECT_TRUE(p.migrateClearText());
    EXPECT_EQ(stored(d), hash);
}

TEST(HiddenItemsPassword, FailedHashingLeavesTheStoredValueAlone)
{
    Defaults d;
    d.set(HiddenItemsPassword::passwordKey, std::string("old secret"));
    HiddenItemsPassword broken(d, failing);
    EXPECT_FALSE(broken.migrateClearText());
    EXPECT_EQ(stored(d), "old secret");
    // Still unlocks while in clear text, and a new password is refused.
    EXPECT_TRUE(broken.matches(QStringLiteral("old secret")));
    EXPECT_FALSE(broken.store(QStringLiteral("new secret")));
    EXPECT_EQ(stored(d), "old secret");

    // Once hashing works again, the next successful unlock finishes the job.
    HiddenItemsPassword working(d, minimum);
    EXPECT_TRUE(working.matches(QStringLiteral("old secret")));
    EXPECT_TRUE(PasswordHashing::isHash(stored(d)));
}

TEST(HiddenItemsPassword, EmptyPasswordRemovesTheLockAndTouchIdDefaultsOff)
{
    Defaults d;
    HiddenItemsPassword p(d, minimum);
    EXPECT_FALSE(p.useTouchID());
    p.setUseTouchID(true);
    EXPECT_TRUE(p.useTouchID());
    ASSERT_TRUE(p.store(QStringLiteral("pw")));
    ASSERT_TRUE(p.store(QString()));
    EXPECT_FALSE(p.isSet());
    EXPECT_FALSE(d.contains(HiddenItemsPassword::passwordKey));
    p.remove();
    EXPECT_FALSE(p.isSet());
}
