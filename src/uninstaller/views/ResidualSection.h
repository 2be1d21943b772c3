#pragma once

#include "uninstaller/ResidualCategory.h"

#include <QColor>
#include <QObject>
#include <QtQml/qqmlregistration.h>

namespace brimlark {

// What a category's header in the review list shows: its count, its total
// and whether all of it is selected. Tells only when these change, so a
// change in one category leaves the other headers alone.
class ResidualSection : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("held by the review list")
    Q_PROPERTY(QString categoryId READ categoryId CONSTANT)
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(QString icon READ icon CONSTANT)
    Q_PROPERTY(QColor accent READ accent CONSTANT)
    Q_PROPERTY(QString countText READ countText NOTIFY changed)
    Q_PROPERTY(QString totalText READ totalText NOTIFY changed)
    Q_PROPERTY(bool allSelected READ allSelected NOTIFY changed)

public:
    struct Summary
    {
        qsizetype count = 0;
        qint64 totalBytes = 0;
        bool allSelected = false;
        friend bool operator==(const Summary &, const Summary &) = default;
    };

    explicit ResidualSection(ResidualCategory category, QObject *parent = nullptr);

    ResidualCategory category() const { return m_category; }
    QString categoryId() const { return ResidualCategories::id(m_category); }
    QString title() const { return ResidualCategories::title(m_category); }
    QString icon() const { return ResidualCategories::systemIconName(m_category); }
    QColor accent() const;
    QString countText() const;
    QString totalText() const;
    bool allSelected() const { return m_summary.allSelected; }

    void setSummary(const Summary &summary);

signals:
    void changed();

private:
    ResidualCategory m_category;
    Summary m_summary;
};

} // namespace brimlark
