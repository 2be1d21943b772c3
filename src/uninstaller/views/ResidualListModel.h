#pragma once

#include "uninstaller/AppResidualFile.h"

#include <QAbstractListModel>
#include <QList>
#include <QtQml/qqmlregistration.h>

namespace brimlark {

// The findings as the review list shows them: grouped by category in display
// order (scan order within a category), one row per finding. Updates by row
// differences so the list keeps its place while the selection changes.
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
        CategoryTitleRole,
    };

    using QAbstractListModel::QAbstractListModel;

    void setFiles(const QList<AppResidualFile> &files, const QString &home);
    const QList<AppResidualFile> &rows() const { return m_rows; }

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    QList<AppResidualFile> m_rows;
    QString m_home;
};

} // namespace brimlark
