#pragma once

#include "uninstaller/AppResidualFile.h"
#include "uninstaller/views/ResidualSection.h"

#include <QAbstractListModel>
#include <QList>
#include <QtQml/qqmlregistration.h>

namespace brimlark {

// The findings as the review list shows them: grouped by category in display
// order (scan order within a category), one row per finding. Updates by row
// differences so the list keeps its place while the selection changes. The
// list's sections are its categories, by id; each has a ResidualSection
// for its header.
class ResidualListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by the uninstall flow")
public:
    enum Role {
        FileIdRole = Qt::UserRole + 1,
        DisplayNameRole,
        PathRole,
        SizeTextRole,
        IconRole,
        IsSelectedRole,
        IsUserDeletableRole,
        CategoryIdRole,
    };

    explicit ResidualListModel(QObject *parent = nullptr);

    void setFiles(const QList<AppResidualFile> &files, const QString &home);
    const QList<AppResidualFile> &rows() const { return m_rows; }
    // The header of the category with this id; null for an unknown id.
    Q_INVOKABLE brimlark::ResidualSection *section(const QString &categoryId) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    void updateRows(QList<AppResidualFile> next);
    void updateSections();

    QList<AppResidualFile> m_rows;
    QList<ResidualSection *> m_sections;
    QString m_home;
};

} // namespace brimlark
