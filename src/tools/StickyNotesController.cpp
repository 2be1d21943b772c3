#include "tools/StickyNotesController.h"

#include "model/WorkspaceStorage.h"

#include <QVariantMap>

#include <algorithm>

namespace brimlark {

QList<StickyNotesController::PaletteColor> StickyNotesController::defaultColors()
{
    return {
        { QStringLiteral("#FFD60A"), QStringLiteral("Yellow") },
        { QStringLiteral("#64D2FF"), QStringLiteral("Blue") },
        { QStringLiteral("#30D158"), QStringLiteral("Green") },
        { QStringLiteral("#FF6482"), QStringLiteral("Pink") },
        { QStringLiteral("#BF5AF2"), QStringLiteral("Purple") },
    };
}

StickyNotesController::StickyNotesController(WorkspaceStorage &storage, QObject *parent)
    : StickyNotesController(storage, defaultColors(), parent)
{
}

StickyNotesController::StickyNotesController(
    WorkspaceStorage &storage, QList<PaletteColor> colors, QObject *parent)
    : QObject(parent)
    , m_storage(storage)
    , m_colors(std::move(colors))
{
    connect(&m_storage, &WorkspaceStorage::stickyNotesChanged, this, [this] {
        clampIndex();
        emit changed();
    });
}

int StickyNotesController::count() const
{
    return int(m_storage.stickyNotes().size());
}

int StickyNotesController::activeIndex() const
{
    return std::clamp(m_activeIndex, 0, std::max(count() - 1, 0));
}

QString StickyNotesController::noteText() const
{
    return hasNotes() ? m_storage.stickyNotes().at(activeIndex()).text : QString();
}

QString StickyNotesController::noteColorHex() const
{
    return hasNotes() ? m_storage.stickyNotes().at(activeIndex()).colorHex : QString();
}

QString StickyNotesController::positionText() const
{
    return tr("%1 / %2").arg(activeIndex() + 1).arg(count());
}

QVariantList StickyNotesController::colorList() const
{
    QVariantList out;
    for (const auto &c : m_colors) {
        out << QVariantMap { { QStringLiteral("hex"), c.hex }, { QStringLiteral("name"), c.name },
            { QStringLiteral("selected"), hasNotes() && noteColorHex() == c.hex } };
    }
    return out;
}

void StickyNotesController::setNoteText(const QString &text)
{
    if (!hasNotes() || noteText() == text) {
        return;
    }
    auto notes = m_storage.stickyNotes();
    notes[activeIndex()].text = text;
    m_storage.setStickyNotes(std::move(notes));
}

void StickyNotesController::pickColor(const QString &hex)
{
    if (!hasNotes()) {
        return;
    }
    auto notes = m_storage.stickyNotes();
    notes[activeIndex()].colorHex = hex;
    m_storage.setStickyNotes(std::move(notes));
}

void StickyNotesController::addNote()
{
    const QString color = m_colors.isEmpty() ? QStringLiteral("#FFD60A") : m_colors.first().hex;
    auto notes = m_storage.stickyNotes();
    notes.append(StickyNote { QUuid::createUuid(), QString(), color });
    m_activeIndex = int(notes.size()) - 1; // before storing, so the change shows the new note
    m_storage.setStickyNotes(std::move(notes));
}

void StickyNotesController::deleteShownNote()
{
    if (!hasNotes()) {
        return;
    }
    auto notes = m_storage.stickyNotes();
    notes.removeAt(activeIndex());
    m_storage.setStickyNotes(std::move(notes)); // the change clamps the index
}

void StickyNotesController::previousNote()
{
    setActiveIndex(activeIndex() - 1);
}

void StickyNotesController::nextNote()
{
    setActiveIndex(activeIndex() + 1);
}

void StickyNotesController::setActiveIndex(int index)
{
    const int before = activeIndex();
    m_activeIndex = index;
    clampIndex();
    if (m_activeIndex != before) {
        emit changed();
    }
}

void StickyNotesController::clampIndex()
{
    m_activeIndex = activeIndex();
}

} // namespace brimlark
