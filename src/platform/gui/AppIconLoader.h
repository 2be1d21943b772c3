#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>

namespace brimlark {

class AppIconStore;

// One view's icon: observable, loaded by path. A cached icon is set at once;
// otherwise it is decoded in the background and set when it arrives, unless
// the view has moved on to another path by then.
class AppIconLoader : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QImage icon READ icon NOTIFY iconChanged)
    Q_PROPERTY(QString path READ path NOTIFY pathChanged)

public:
    explicit AppIconLoader(AppIconStore &store, QObject *parent = nullptr);

    // Null until a load has completed.
    QImage icon() const { return m_icon; }
    // The path most recently asked for.
    QString path() const { return m_path; }

    // Main thread only.
    Q_INVOKABLE void loadIcon(const QString &path);

    // The shared placeholder at the shared store's icon size.
    static QImage getGenericAppIcon();

signals:
    void iconChanged();
    void pathChanged();

private:
    void setIcon(const QImage &icon);

    AppIconStore &m_store;
    QString m_path;
    QImage m_icon;
};

} // namespace brimlark
