#pragma once

#include "state/CatalogClient.h"

#include "model/AppFolder.h"
#include "model/AppItem.h"
#include "model/GridItemIdentifier.h"
#include "state/BrimlarkViewModel.h"

#include <QAbstractListModel>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <optional>

namespace brimlark {

// The unified grid's cards, one row per item of the view model's
// unifiedGridItems: a folder's card with its visible applications, or a
// category's card with its grouped applications; an item with nothing behind
// it is an empty cell. Rows keep their delegates while the order stays.
// With `leadingTile`, a first row stands for the "Add Folder" tile, so a lazy
// grid lays the tile and the cards out as one.
class UnifiedGridCardModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The unified grid controller owns the cards")
    Q_PROPERTY(bool leadingTile READ leadingTile WRITE setLeadingTile NOTIFY leadingTileChanged)

public:
    enum Role {
        ItemRole = Qt::UserRole + 1,
        IsFolderRole,
        PresentRole,
        TitleRole,
        FolderRole,
        AppsRole,
        // The card came with the latest change of the order (a new folder,
        // a new category): it enters with its transition. The first cards,
        // and cards that only moved, do not.
        InsertedRole,
        // The row of the "Add Folder" tile.
        AddTileRole
    };
    Q_ENUM(Role)

    struct Card
    {
        GridItemIdentifier item = GridItemIdentifier::category(QString());
        bool present = false;
        QString title;
        std::optional<AppFolder> folder;
        QList<AppItem> apps;
        // Every shown detail, not only identities: a renamed folder or an
        // application with a new icon is a changed card.
        bool operator==(const Card &other) const;
    };

    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    const QList<Card> &cards() const { return m_cards; }
    void setCards(const QList<Card> &cards);
    bool leadingTile() const { return m_leadingTile; }
    void setLeadingTile(bool leading);
    bool isInserted(const GridItemIdentifier &item) const
    {
        return m_inserted.contains(item.stringRepresentation());
    }

signals:
    void leadingTileChanged();

private:
    int firstCardRow() const { return m_leadingTile ? 1 : 0; }

    QList<Card> m_cards;
    // Item texts of the cards the latest change brought in.
    QSet<QString> m_inserted;
    bool m_leadingTile = false;
};

// The unified grid's rules: which card stands for which item, the "Add
// Folder" tile, what a card drags, what a drop on a card accepts and where
// it moves the dragged card, and the drop highlight. Main thread only.
class UnifiedGridController : public CatalogClient
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(brimlark::UnifiedGridCardModel *cards READ cardModel CONSTANT)
    // The item text of the card under a drag; empty for none.
    Q_PROPERTY(QString dropTargetID READ dropTargetID NOTIFY dropTargetIDChanged)

public:
    explicit UnifiedGridController(QObject *parent = nullptr);

    UnifiedGridCardModel *cardModel() { return &m_cards; }
    QString dropTargetID() const { return m_dropTargetID; }

    // The cards for these items over the catalog and the grouping.
    static QList<UnifiedGridCardModel::Card> cardsFor(const QList<GridItemIdentifier> &items,
        const BrimlarkViewModel &finder, const QHash<QString, QList<AppItem>> &grouped);

    // The list move a drop of `droppedText` on the card `target` asks for:
    // the dragged card's offset and the destination (counted before the
    // move), so the dragged card ends at the target's place; nothing when
    // the text's first line is not a card of `items` or the target is not.
    struct Move
    {
        int from = 0;
        int destination = 0;
        bool operator==(const Move &other) const = default;
    };
    static std::optional<Move> moveFor(
        const QList<GridItemIdentifier> &items, const QString &droppedText, const GridItemIdentifier &target);

    // The "Add Folder" tile: a new root folder, at the front of the cards.
    Q_INVOKABLE void addFolder();
    // A drop of text on the card `targetItem` (its item text): true when it
    // reordered the cards. Ends the highlight either way.
    Q_INVOKABLE bool drop(const QString &droppedText, const QString &targetItem);
    // A drag entered (true) or left (false) the card.
    Q_INVOKABLE void setTargeted(const QString &item, bool targeted);

signals:
    void dropTargetIDChanged();

protected:
    void viewModelBound() override;

private:
    void refresh();
    void setDropTargetID(const QString &id);

    UnifiedGridCardModel m_cards;
    QString m_dropTargetID;
};

} // namespace brimlark
