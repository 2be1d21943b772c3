#pragma once

#include "platform/base/Defaults.h"

#include <gtest/gtest.h>

#include <QObject>
#include <QStringList>

#include <memory>

namespace brimlark::test {

// A test that runs QML: every warning the QML engine or Qt Quick reports
// during it fails it, and it starts and ends with empty standard settings.
class QmlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Defaults::installStandard(std::make_shared<Defaults>());
        s_warnings = &m_warnings;
        s_previousHandler = qInstallMessageHandler(collectWarnings);
    }
    void TearDown() override
    {
        qInstallMessageHandler(s_previousHandler);
        s_warnings = nullptr;
        EXPECT_TRUE(m_warnings.isEmpty()) << m_warnings.join(u'\n').toStdString();
        Defaults::installStandard(std::make_shared<Defaults>());
    }

    static QObject *child(QObject *root, const char *objectName)
    {
        return root->findChild<QObject *>(QString::fromLatin1(objectName));
    }

    QStringList m_warnings;

private:
    static void collectWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        const QByteArray category(context.category ? context.category : "");
        const bool fromQml = category.startsWith("qml") || category.startsWith("js")
            || category.startsWith("qt.qml") || category.startsWith("qt.quick")
            || message.contains(QLatin1String("qrc:/")) || message.contains(QLatin1String(".qml"));
        if (s_warnings && type != QtDebugMsg && type != QtInfoMsg && fromQml) {
            s_warnings->append(message);
        }
        if (s_previousHandler) {
            s_previousHandler(type, context, message);
        }
    }

    static inline QStringList *s_warnings = nullptr;
    static inline QtMessageHandler s_previousHandler = nullptr;
};

} // namespace brimlark::test
