#pragma once

// Icon pictures for the platform's icon tests.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QtEndian>

#include <utility>
#include <vector>

namespace brimlark::test {

inline QByteArray pngBytes(const QColor &color, int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// An icon family whose members are PNG pictures ("ic07" 128 px, "ic08" 256 px, ...).
inline QByteArray icnsBytes(const std::vector<std::pair<QByteArray, QByteArray>> &members)
{
    auto be32 = [](quint32 v) {
        QByteArray b(4, '\0');
        qToBigEndian(v, b.data());
        return b;
    };
    QByteArray body;
    for (const auto &[type, png] : members) {
        body += type + be32(quint32(png.size() + 8)) + png;
    }
    return QByteArrayLiteral("icns") + be32(quint32(body.size() + 8)) + body;
}

} // namespace brimlark::test
