#include "ToolsFixture.h"

#include <QVariantMap>

namespace brimlark::test {

ToolsFixture::ToolsFixture()
    : m_ruler(
        m_storage,
        [this](const QRectF &frame) { return std::make_unique<testing::FakeRulerWindow>(m_rulerLog, frame); },
        [] { return std::optional<QRectF>(QRectF(0, 0, 1920, 1080)); })
    , m_deskTools(m_ruler, { m_storage, m_sampler, m_pasteboard, m_scheduler, m_qrFolder.path() })
{
}

ToolsFixture::~ToolsFixture() = default;

void ToolsFixture::setNotes(const QStringList &texts)
{
    QList<StickyNote> notes;
    for (const QString &text : texts) {
        notes << StickyNote { QUuid::createUuid(), text, QStringLiteral("#FFD60A") };
    }
    m_storage.setStickyNotes(std::move(notes));
}

QStringList ToolsFixture::noteTexts() const
{
    QStringList out;
    for (const auto &note : m_storage.stickyNotes()) {
        out << note.text;
    }
    return out;
}

void ToolsFixture::setSnippets(const QVariantList &snippets)
{
    QList<CodeSnippet> out;
    for (const QVariant &entry : snippets) {
        const QVariantMap map = entry.toMap();
        out << CodeSnippet { QUuid::createUuid(), map.value(QStringLiteral("title")).toString(),
            map.value(QStringLiteral("code")).toString(), map.value(QStringLiteral("language")).toString() };
    }
    m_storage.setCodeSnippets(std::move(out));
}

QStringList ToolsFixture::snippetTitles() const
{
    QStringList out;
    for (const auto &snippet : m_storage.codeSnippets()) {
        out << snippet.title;
    }
    return out;
}

void ToolsFixture::appendSnippet(const QString &title)
{
    auto snippets = m_storage.codeSnippets();
    snippets << CodeSnippet { QUuid::createUuid(), title, QStringLiteral("x"), QStringLiteral("JS") };
    m_storage.setCodeSnippets(std::move(snippets));
}

void ToolsFixture::setRecentMeasurements(const QStringList &texts)
{
    m_storage.setRecentMeasurements(texts);
}

void ToolsFixture::setRecentColors(const QStringList &texts)
{
    m_storage.setRecentColors(texts);
}

void ToolsFixture::advance(int milliseconds)
{
    m_scheduler.advance(std::chrono::milliseconds(milliseconds));
}

} // namespace brimlark::test
