#include "platform/gui/QrEncoder.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <qrencode.h>

using namespace brimlark;

namespace {

constexpr int Scale = 12;

// Every module of the saved PNG, read at its block's centre, against the
// reference encoder's matrix for the same bytes; the quiet zone is white.
void expectModulesMatch(const QByteArray &bytes, const QImage &png)
{
    QRcode *code = QRcode_encodeData(
        int(bytes.size()), reinterpret_cast<const unsigned char *>(bytes.constData()), 0, QR_ECLEVEL_Q);
    ASSERT_NE(code, nullptr);
    const int modules = code->width + 2 * QrEncoder::QuietZone;
    ASSERT_EQ(png.size(), QSize(modules * Scale, modules * Scale));
    int mismatches = 0;
    for (int y = 0; y < modules; ++y) {
        for (int x = 0; x < modules; ++x) {
            const int mx = x - QrEncoder::QuietZone;
            const int my = y - QrEncoder::QuietZone;
            const bool inside = mx >= 0 && my >= 0 && mx < code->width && my < code->width;
            const bool dark = inside && (code->data[my * code->width + mx] & 1);
            const QRgb pixel = png.pixel(x * Scale + Scale / 2, y * Scale + Scale / 2);
            mismatches += (qGray(pixel) < 128) != dark;
        }
    }
    QRcode_free(code);
    EXPECT_EQ(mismatches, 0) << bytes.toStdString();
}

} // namespace

TEST(QrEncoder, SavedModulesMatchTheSymbolOfTheUtf8Bytes)
{
    QTemporaryDir dir;
    for (const QString &text : { QStringLiteral("https://example.org/path?q=1"), QStringLiteral(" "),
             QStringLiteral("Grüße, 東京 🙂 — naïve") }) {
        const QByteArray bytes = text.toUtf8();
        const QString path = dir.filePath(QStringLiteral("code.png"));
        ASSERT_TRUE(QrEncoder::savePng(QrEncoder::encode(bytes, Scale), path));
        expectModulesMatch(bytes, QImage(path));
    }
}

TEST(QrEncoder, NoImageForEmptyOrTooLongMessages)
{
    EXPECT_TRUE(QrEncoder::encode(QByteArray(), Scale).isNull());
    // Level Q holds at most 1,663 bytes.
    EXPECT_FALSE(QrEncoder::encode(QByteArray(1663, 'a'), 1).isNull());
    EXPECT_TRUE(QrEncoder::encode(QByteArray(1664, 'a'), Scale).isNull());
}

TEST(QrEncoder, SaveReplacesWhatSitsAtThePathAndNeverWritesThroughALink)
{
    QTemporaryDir dir;
    const QString victim = dir.filePath(QStringLiteral("victim"));
    const QString path = dir.filePath(QStringLiteral("brimlark_qrcode.png"));
    {
        QFile f(victim);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("keep");
    }
    ASSERT_TRUE(QFile::link(victim, path));

    const QImage image = QrEncoder::encode("hello", Scale);
    ASSERT_TRUE(QrEncoder::savePng(image, path));
    EXPECT_FALSE(QFileInfo(path).isSymLink());
    EXPECT_EQ(QImage(path).convertToFormat(image.format()), image);
    QFile f(victim);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("keep"));

    // A folder that cannot hold the file is a reported failure.
    EXPECT_FALSE(QrEncoder::savePng(image, victim + QStringLiteral("/brimlark_qrcode.png")));
}
