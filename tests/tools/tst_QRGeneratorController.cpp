#include "support/ManualScheduler.h"
#include "tools/QRGeneratorController.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace brimlark;
using namespace std::chrono_literals;

TEST(QRGeneratorController, CodeAndFileFollowTheText)
{
    QTemporaryDir dir;
    ManualScheduler scheduler;
    QRGeneratorController qr(dir.path(), scheduler);
    const QString file = dir.filePath(QStringLiteral("brimlark_qrcode.png"));
    struct Case
    {
        QString text;
        bool code;
    };
    const Case cases[] = {
        { QStringLiteral("https://example.org"), true },
        { QStringLiteral(" "), true },
        { QStringLiteral("naïve 🙂"), true },
        { QString(2000, QLatin1Char('x')), false }, // too long: the empty state
        { QString(), false },
    };
    for (const auto &c : cases) {
        qr.setText(c.text);
        EXPECT_EQ(qr.hasCode(), c.code) << c.text.size();
        EXPECT_EQ(qr.canDrag(), c.code);
        EXPECT_EQ(qr.qrFileURL(), c.code ? QUrl::fromLocalFile(file) : QUrl());
        if (c.code) {
            EXPECT_EQ(qr.qrImage().width() % QRGeneratorController::ModuleScale, 0);
            EXPECT_EQ(QImage(file).convertToFormat(qr.qrImage().format()), qr.qrImage())
                << c.text.toStdString();
        }
    }
}

TEST(QRGeneratorController, FailedWriteKeepsPreviewAndCopyButDisablesTheDrag)
{
    QTemporaryDir dir;
    const QString notAFolder = dir.filePath(QStringLiteral("plain-file"));
    QFile f(notAFolder);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    // No folder at all must not mean the working directory.
    QTemporaryDir workingDir;
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(workingDir.path()));

    for (const QString &folder : { notAFolder, QString() }) {
        SCOPED_TRACE(folder.toStdString());
        ManualScheduler scheduler;
        QRGeneratorController qr(folder, scheduler);
        qr.setText(QStringLiteral("hello"));
        EXPECT_TRUE(qr.hasCode());
        EXPECT_FALSE(qr.canDrag());
        EXPECT_TRUE(qr.qrFileURL().isEmpty());
        qr.copy();
        EXPECT_EQ(qr.copyMessage(), QStringLiteral("QR Copied!"));
        EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(qr.qrImage().format()), qr.qrImage());
    }
    EXPECT_TRUE(QDir(workingDir.path()).isEmpty());
    QDir::setCurrent(previous);
}

TEST(QRGeneratorController, EachCopyClearsItsMessageAfterOneAndAHalfSeconds)
{
    QTemporaryDir dir;
    ManualScheduler scheduler;
    QRGeneratorController qr(dir.path(), scheduler);
    qr.setText(QStringLiteral("copy me"));
    qr.copy();
    scheduler.advance(1000ms);
    qr.copy();
    scheduler.advance(499ms);
    EXPECT_EQ(qr.copyMessage(), QStringLiteral("QR Copied!"));
    scheduler.advance(1ms); // the first copy's clearing
    EXPECT_TRUE(qr.copyMessage().isEmpty());
    qr.copy();
    scheduler.advance(1000ms); // the second copy's clearing ends the third's message early
    EXPECT_TRUE(qr.copyMessage().isEmpty());
}
