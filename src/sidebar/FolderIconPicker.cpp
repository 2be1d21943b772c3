#include "sidebar/FolderIconPicker.h"

#include "model/AppFinder.h"
#include "platform/gui/Symbols.h"

namespace brimlark {

const QList<FolderIconPicker::Pair> &FolderIconPicker::pairs()
{
    static const QList<Pair> list = {
        { u"folder", u"folder.fill" },
        { u"house", u"house.fill" },
        { u"heart", u"heart.fill" },
        { u"star", u"star.fill" },
        { u"briefcase", u"briefcase.fill" },
        { u"calendar", u"calendar.fill" },
        { u"trash", u"trash.fill" },
        { u"wrench", u"wrench.fill" },
        { u"key", u"key.fill" },
        { u"lightbulb", u"lightbulb.fill" },
        { u"paintbrush", u"paintbrush.fill" },
        { u"paintpalette", u"paintpalette.fill" },
        { u"pencil.tip", u"pencil.tip" },
        { u"crop", u"crop" },
        { u"slider.horizontal.3", u"slider.horizontal.3" },
        { u"chevron.left.forwardslash.chevron.right", u"chevron.left.forwardslash.chevron.right" },
        { u"terminal", u"terminal.fill" },
        { u"cpu", u"cpu.fill" },
        { u"network", u"network" },
        { u"externaldrive", u"externaldrive.fill" },
        { u"chart.bar", u"chart.bar.fill" },
        { u"chart.pie", u"chart.pie.fill" },
        { u"play.tv", u"play.tv.fill" },
        { u"doc.richtext", u"doc.richtext.fill" },
        { u"sparkles", u"sparkles" },
        { u"wand.and.stars", u"wand.and.stars" },
        { u"gearshape", u"gearshape.fill" },
        { u"gearshape.2", u"gearshape.2.fill" },
        { u"bolt", u"bolt.fill" },
        { u"video", u"video.fill" },
        { u"film", u"film.fill" },
        { u"music.note", u"music.note.fill" },
        { u"headphones", u"headphones.fill" },
        { u"speaker.wave.2", u"speaker.wave.2.fill" },
        { u"camera", u"camera.fill" },
        { u"gamecontroller", u"gamecontroller.fill" },
        { u"doc.text", u"doc.text.fill" },
        { u"doc.plaintext", u"doc.plaintext.fill" },
        { u"newspaper", u"newspaper.fill" },
        { u"envelope", u"envelope.fill" },
        { u"app.badge", u"app.badge.fill" },
        { u"square.grid.2x2", u"square.grid.2x2.fill" },
        { u"cube", u"cube.fill" },
    };
    return list;
}

FolderIconPicker::FolderIconPicker(QObject *parent)
    : FolderPickerBase(parent)
    , m_exists(&Symbols::exists)
{
    // The mode starts from the icon the picker is opened with, once.
    connect(this, &FolderPickerBase::folderChanged, this, [this, started = false]() mutable {
        if (!started && !folder().id.isNull()) {
            started = true;
            setFilled(folder().icon.contains(QStringLiteral(".fill")));
        }
        emit selectionChanged();
    });
}

void FolderIconPicker::setSymbolExists(SymbolExists exists)
{
    m_exists = std::move(exists);
    emit isFilledChanged();
    emit selectionChanged();
}

void FolderIconPicker::setFilled(bool filled)
{
    if (m_isFilled == filled) {
        return;
    }
    m_isFilled = filled;
    emit isFilledChanged();
    emit selectionChanged();
}

QString FolderIconPicker::shownName(int index) const
{
    if (index < 0 || index >= pairs().size()) {
        return {};
    }
    const Pair &p = pairs()[index];
    const QString filled = QString::fromUtf16(p.filled);
    if (m_isFilled && m_exists(filled)) {
        return filled;
    }
    return QString::fromUtf16(p.outline);
}

QStringList FolderIconPicker::shownNames() const
{
    QStringList out;
    for (int i = 0; i < pairs().size(); ++i) {
        out << shownName(i);
    }
    return out;
}

int FolderIconPicker::selectedIndex() const
{
    return int(shownNames().indexOf(folder().icon));
}

void FolderIconPicker::choose(int index)
{
    const QString name = shownName(index);
    if (name.isEmpty() || !catalog()) {
        return;
    }
    catalog()->setFolderIcon(folder(), name);
}

} // namespace brimlark
