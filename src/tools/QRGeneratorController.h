#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

namespace brimlark {

class Scheduler;

// The QR generator popover's state: the typed text, its code and the PNG
// that a drag exports. The PNG lives in a private folder of the user's, so
// no other local user can plant or swap the file a drag hands out.
class QRGeneratorController : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the program with its private output folder")
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)
    Q_PROPERTY(QImage qrImage READ qrImage NOTIFY qrChanged)
    Q_PROPERTY(bool hasCode READ hasCode NOTIFY qrChanged)
    Q_PROPERTY(QUrl qrFileURL READ qrFileURL NOTIFY qrChanged)
    Q_PROPERTY(bool canDrag READ canDrag NOTIFY qrChanged)
    // The small picture a drag of the code shows under the pointer.
    Q_PROPERTY(QUrl dragImageURL READ dragImageURL NOTIFY qrChanged)
    Q_PROPERTY(QString copyMessage READ copyMessage NOTIFY copyMessageChanged)

public:
    static constexpr int ModuleScale = 12;
    static QString fileName() { return QStringLiteral("brimlark_qrcode.png"); }
    static QString dragImageFileName() { return QStringLiteral("brimlark_qrcode_drag.png"); }
    // The drag picture's side in pixels: the whole file would cover the screen.
    static constexpr int DragImageSize = 96;

    QRGeneratorController(const QString &outputFolder, Scheduler &scheduler, QObject *parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString &text);

    // The code of the text's UTF-8 bytes; null for an empty text or one too
    // long for any symbol.
    QImage qrImage() const { return m_image; }
    bool hasCode() const { return !m_image.isNull(); }
    // The PNG of the current code; empty while there is no code or while the
    // last write failed, so a drag never hands out a stale or missing file.
    QUrl qrFileURL() const { return m_fileWritten ? QUrl::fromLocalFile(filePath()) : QUrl(); }
    bool canDrag() const { return hasCode() && m_fileWritten; }
    QString filePath() const;
    // Each code's picture under its own URL, so no cached one is shown.
    QUrl dragImageURL() const;

    QString copyMessage() const { return m_copyMessage; }
    // Puts the code's image on the clipboard and confirms for 1.5 s; every
    // copy schedules its own clearing.
    Q_INVOKABLE void copy();

signals:
    void textChanged();
    void qrChanged();
    void copyMessageChanged();

private:
    void setCopyMessage(const QString &message);

    QString m_outputFolder;
    Scheduler &m_scheduler;
    QString m_text;
    QImage m_image;
    bool m_fileWritten = false;
    bool m_dragImageWritten = false;
    quint64 m_generation = 0;
    QString m_copyMessage;
};

} // namespace brimlark
