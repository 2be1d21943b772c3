#pragma once

// Documents and files meant to break a reader: nesting deep enough to
// overflow a recursive parser, references that multiply when copied, and a
// named pipe where a file belongs.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <chrono>
#include <fcntl.h>
#include <functional>
#include <future>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace brimlark::test {

inline QByteArray deeplyNestedXml(int levels)
{
    QByteArray out("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict><key>k</key>");
    out += QByteArray("<array>").repeated(levels);
    out += QByteArray("</array>").repeated(levels);
    return out + "</dict></plist>\n";
}

inline QByteArray bigEndian(quint64 v, int width)
{
    QByteArray bytes;
    for (int i = width - 1; i >= 0; --i) {
        bytes += char((v >> (8 * i)) & 0xFF);
    }
    return bytes;
}

// A binary list of the given objects (references four bytes wide), the
// first one on top.
inline QByteArray binaryList(const QList<QByteArray> &objects)
{
    QByteArray out("bplist00");
    QByteArray offsets;
    for (const QByteArray &object : objects) {
        offsets += bigEndian(quint64(out.size()), 4);
        out += object;
    }
    const quint64 table = quint64(out.size());
    return out + offsets + QByteArray(6, '\0') + char(4) + char(4) + bigEndian(quint64(objects.size()), 8)
        + bigEndian(0, 8) + bigEndian(table, 8);
}

// A binary dictionary { "k": rest[0] }, rest following the key.
inline QByteArray binaryDictionaryK(const QList<QByteArray> &rest)
{
    return binaryList(
        QList<QByteArray> { char(0xD1) + bigEndian(1, 4) + bigEndian(2, 4), QByteArray("\x51k", 2) } + rest);
}

// An array holding an array, and so on.
inline QByteArray deeplyNestedBinary(int levels)
{
    QList<QByteArray> objects;
    objects.reserve(levels);
    for (int i = 0; i + 1 < levels; ++i) {
        objects << char(0xA1) + bigEndian(quint64(i + 1), 4);
    }
    objects << QByteArray(1, char(0xA0));
    return binaryList(objects);
}

// Nesting hidden from a counter that takes a single quote for a quote: the
// parser ends a tag at its first '>' and builds every level after it.
inline QByteArray quoteHiddenNestingXml(int levels)
{
    QByteArray out("<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict>"
                   "<key>LSApplicationCategoryType</key><string>public.app-category.games</string>"
                   "<key>k</key><array q='>");
    out += QByteArray("<array>").repeated(levels);
    return out + "'></array></dict></plist>\n";
}

// A binary dictionary { "k": chain } whose chain is `height` arrays, each
// holding two references to the next: a few hundred bytes that a parser
// copying every reference expands to 2^height nodes.
inline QByteArray sharedReferenceBinary(int height)
{
    QList<QByteArray> objects;
    for (int i = 0; i < height; ++i) {
        const quint64 next = quint64(3 + i);
        objects << char(0xA2) + bigEndian(next, 4) + bigEndian(next, 4);
    }
    objects << QByteArray(1, char(0x09));
    return binaryDictionaryK(objects);
}

// `<tag\0>` repeated: a counter that reads a tag's name up to a space or
// '>' sees an unknown tag, the parser reads "array" and nests every level.
inline QByteArray nulTagNestingXml(int levels, const QByteArray &tag = "<array")
{
    QByteArray out("<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict><key>k</key>");
    out += (tag + '\0' + (tag == "<plist" ? "" : ">")).repeated(levels);
    return out + "</dict></plist>\n";
}

// An information list whose category holds U+0000, as XML or as UTF-16 in
// the binary form: the parser's string accessor asserts on it.
inline QByteArray nulStringInfoList(bool binary)
{
    if (!binary) {
        return QByteArray("<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict>"
                          "<key>LSApplicationCategoryType</key><string>public.app-category.games")
            + '\0' + QByteArray("\xC3\xA9</string></dict></plist>\n");
    }
    const QString text = QStringLiteral("games") + QChar(0) + QStringLiteral("é");
    QByteArray utf16;
    for (const QChar c : text) {
        utf16 += bigEndian(c.unicode(), 2);
    }
    return binaryList({ char(0xD1) + bigEndian(1, 4) + bigEndian(2, 4),
        QByteArray("\x5F\x10\x19", 3) + "LSApplicationCategoryType", char(0x60 | text.size()) + utf16 });
}

// A binary dictionary { "k": [s, s, ...] } whose `elements` references all
// name one string of `leafBytes`: few nodes, but a parser that copies every
// reference copies the string each time.
inline QByteArray sharedLeavesBinary(int elements, int leafBytes)
{
    QByteArray array = QByteArray(1, char(0xAF)) + char(0x12) + bigEndian(quint64(elements), 4);
    for (int i = 0; i < elements; ++i) {
        array += bigEndian(3, 4);
    }
    const QByteArray leaf = QByteArray(1, char(0x5F)) + char(0x12) + bigEndian(quint64(leafBytes), 4)
        + QByteArray(leafBytes, 'x');
    return binaryDictionaryK({ array, leaf });
}

// A binary dictionary { "k": n } with n written in sixteen bytes whose high
// half is not empty: more than 64 bits.
inline QByteArray wideIntegerBinary()
{
    return binaryDictionaryK({ char(0x14) + bigEndian(1, 8) + bigEndian(5, 8) });
}

// Runs `read` on a thread of its own and says whether it came back within a
// generous bound; if not, a writer end is opened on `fifo` so that the
// stuck reader returns before the test ends.
inline bool returnsWithoutBlocking(const std::function<void()> &read, const QString &fifo)
{
    std::packaged_task<void()> task(read);
    auto done = task.get_future();
    std::thread thread(std::move(task));
    const bool returned = done.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    if (!returned) {
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) {
            ::close(fd);
        }
    }
    thread.join();
    return returned;
}

inline bool makeFifo(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

} // namespace brimlark::test
