#include "grid/UnifiedGridController.h"

#include <QSet>

namespace brimlark {

bool UnifiedGridCardModel::Card::operator==(const Card &other) const
{
    if (!(item == other.item) || present != other.present || title != other.title
        || folder.has_value() != other.folder.has_value() || apps.size() != other.apps.size()) {
        return false;
    }
    if (folder
        && (folder->name != other.folder->name || folder->appURLs != other.folder->appURLs
            || folder->icon != other.folder->icon || folder->color != other.folder->color)) {
        return false;
    }
    for (qsizetype i = 0; i < apps.size(); ++i) {
        if (!apps[i].sameDetails(other.apps[i])) {
            return false;
        }
    }
    return true;
}

int UnifiedGridCardModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_cards.size()) + firstCardRow();
}

void UnifiedGridCardModel::setLeadingTile(bool leading)
{
    if (m_leadingTile == leading) {
        return;
    }
    beginResetModel();
    m_leadingTile = leading;
    endResetModel();
    emit leadingTileChanged();
}

QVariant UnifiedGridCardModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    if (index.row() < firstCardRow()) {
        // Every role typed as a card's, so a delegate's properties take it.
        switch (role) {
        case AddTileRole:
        case PresentRole:
            return true;
        case IsFolderRole:
        case InsertedRole:
            return false;
        case AppsRole:
            return QVariant::fromValue(QList<AppItem>());
        case FolderRole:
            return QVariant::fromValue(AppFolder());
        default:
            return QString();
        }
    }
    const Card &card = m_cards[index.row() - firstCardRow()];
    switch (role) {
    case AddTileRole:
        return false;
    case Qt::DisplayRole:
    case TitleRole:
        return card.title;
    case ItemRole:
        return card.item.stringRepresentation();
    case IsFolderRole:
        return card.item.isFolder();
    case PresentRole:
        return card.present;
    case InsertedRole:
        return m_inserted.contains(card.item.stringRepresentation());
    case FolderRole:
        return QVariant::fromValue(card.folder.value_or(AppFolder()));
    case AppsRole:
        return QVariant::fromValue(card.apps);
    default:
        return {};
    }
}

QHash<int, QByteArray> UnifiedGridCardModel::roleNames() const
{
    return { { ItemRole, "item" }, { IsFolderRole, "isFolder" }, { PresentRole, "present" },
        { TitleRole, "title" }, { FolderRole, "folder" }, { AppsRole, "apps" }, { InsertedRole, "inserted" },
        { AddTileRole, "addTile" } };
}

void UnifiedGridCardModel::setCards(const QList<Card> &cards)
{
    bool sameItems = cards.size() == m_cards.size();
    for (qsizetype i = 0; sameItems && i < cards.size(); ++i) {
        sameItems = cards[i].item == m_cards[i].item;
    }
    if (!sameItems) {
        QSet<QString> before;
        for (const auto &card : m_cards) {
            before.insert(card.item.stringRepresentation());
        }
        QSet<QString> inserted;
        if (!m_cards.isEmpty()) {
            for (const auto &card : cards) {
                if (!before.contains(card.item.stringRepresentation())) {
                    inserted.insert(card.item.stringRepresentation());
                }
            }
        }
        beginResetModel();
        m_inserted = inserted;
        m_cards = cards;
        endResetModel();
        return;
    }
    // The same cards in the same places: only their contents change, so a
    // card being renamed keeps its field.
    for (qsizetype i = 0; i < cards.size(); ++i) {
        if (!(cards[i] == m_cards[i])) {
            m_cards[i] = cards[i];
            const QModelIndex row = index(int(i) + firstCardRow());
            emit dataChanged(row, row);
        }
    }
}

UnifiedGridController::UnifiedGridController(QObject *parent)
    : CatalogClient(parent)
{
}

void UnifiedGridController::viewModelBound()
{
    if (viewModel()) {
        connect(viewModel(), &BrimlarkViewModel::changed, this, &UnifiedGridController::refresh);
    }
    refresh();
}

QList<UnifiedGridCardModel::Card> UnifiedGridController::cardsFor(const QList<GridItemIdentifier> &items,
    const BrimlarkViewModel &finder, const QHash<QString, QList<AppItem>> &grouped)
{
    const QSet<QString> &hidden = finder.hiddenAppPaths();
    QList<UnifiedGridCardModel::Card> out;
    out.reserve(items.size());
    for (const auto &item : items) {
        UnifiedGridCardModel::Card card;
        card.item = item;
        if (item.isFolder()) {
            for (const auto &folder : finder.folders()) {
                if (folder.id == item.folderId()) {
                    card.present = true;
                    card.title = folder.name;
                    card.folder = folder;
                    card.apps = finder.getAppsInFolder(folder);
                    // Hidden applications show in the hidden section only,
                    // as the folder's own tiles leave them out.
                    card.apps.removeIf([&hidden](const AppItem &app) { return hidden.contains(app.id()); });
                    break;
                }
            }
        } else {
            const auto it = grouped.constFind(item.categoryName());
            if (it != grouped.cend()) {
                card.present = true;
                card.title = item.categoryName();
                card.apps = it.value();
            }
        }
        out << card;
    }
    return out;
}

void UnifiedGridController::refresh()
{
    if (!viewModel()) {
        m_cards.setCards({});
        return;
    }
    // An item with nothing behind it takes no place in the grid.
    QList<UnifiedGridCardModel::Card> cards
        = cardsFor(viewModel()->unifiedGridItems(), *viewModel(), viewModel()->groupedAppsByCategory());
    cards.removeIf([](const UnifiedGridCardModel::Card &card) { return !card.present; });
    m_cards.setCards(cards);
}

std::optional<UnifiedGridController::Move> UnifiedGridController::moveFor(
    const QList<GridItemIdentifier> &items, const QString &droppedText, const GridItemIdentifier &target)
{
    // Several dragged texts arrive as lines; the first one counts.
    const QString first = droppedText.section(u'\n', 0, 0).remove(u'\r');
    const auto dragged = GridItemIdentifier::fromString(first);
    if (!dragged) {
        return std::nullopt;
    }
    const qsizetype from = items.indexOf(*dragged);
    const qsizetype to = items.indexOf(target);
    if (from < 0 || to < 0) {
        return std::nullopt;
    }
    return Move { int(from), int(from < to ? to + 1 : to) };
}

void UnifiedGridController::addFolder()
{
    if (catalog()) {
        catalog()->createFolder(
            QStringLiteral("New app folder"), QStringLiteral("folder"), QStringLiteral("#007AFF"));
    }
}

bool UnifiedGridController::drop(const QString &droppedText, const QString &targetItem)
{
    setDropTargetID(QString());
    const auto target = GridItemIdentifier::fromString(targetItem);
    if (!viewModel() || !catalog() || !target) {
        return false;
    }
    const QList<GridItemIdentifier> items = viewModel()->unifiedGridItems();
    const auto move = moveFor(items, droppedText, *target);
    if (!move) {
        return false;
    }
    catalog()->reorderUnifiedItems({ move->from }, move->destination, items);
    return true;
}

void UnifiedGridController::setTargeted(const QString &item, bool targeted)
{
    if (targeted) {
        setDropTargetID(item);
    } else if (m_dropTargetID == item) {
        setDropTargetID(QString());
    }
}

void UnifiedGridController::setDropTargetID(const QString &id)
{
    if (m_dropTargetID != id) {
        m_dropTargetID = id;
        emit dropTargetIDChanged();
    }
}

} // namespace brimlark
