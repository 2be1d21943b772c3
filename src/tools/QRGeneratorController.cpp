#include "tools/QRGeneratorController.h"

#include "platform/core/Scheduler.h"
#include "platform/gui/QrEncoder.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QPointer>

namespace brimlark {

QRGeneratorController::QRGeneratorController(
    const QString &outputFolder, Scheduler &scheduler, QObject *parent)
    : QObject(parent)
    , m_outputFolder(outputFolder)
    , m_scheduler(scheduler)
{
}

QString QRGeneratorController::filePath() const
{
    return QDir(m_outputFolder).filePath(fileName());
}

void QRGeneratorController::setText(const QString &text)
{
    if (text == m_text) {
        return;
    }
    m_text = text;
    emit textChanged();
    // The file is rewritten on every change, so it holds the shown code
    // before a drag can start.
    m_image = QrEncoder::encode(m_text.toUtf8(), ModuleScale);
    // Without a folder there is nowhere private to write: never fall back to
    // the working directory.
    m_fileWritten = !m_image.isNull() && !m_outputFolder.isEmpty() && QrEncoder::savePng(m_image, filePath());
    m_dragImageWritten = m_fileWritten
        && QrEncoder::savePng(
            m_image.scaled(DragImageSize, DragImageSize, Qt::KeepAspectRatio, Qt::SmoothTransformation),
            QDir(m_outputFolder).filePath(dragImageFileName()));
    ++m_generation;
    emit qrChanged();
}

QUrl QRGeneratorController::dragImageURL() const
{
    if (!m_dragImageWritten) {
        return {};
    }
    QUrl url = QUrl::fromLocalFile(QDir(m_outputFolder).filePath(dragImageFileName()));
    url.setQuery(QString::number(m_generation));
    return url;
}

void QRGeneratorController::copy()
{
    if (m_image.isNull()) {
        return;
    }
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setImage(m_image);
    setCopyMessage(QStringLiteral("QR Copied!"));
    m_scheduler.schedule(std::chrono::milliseconds(1500), [guard = QPointer(this)] {
        if (guard) {
            guard->setCopyMessage(QString());
        }
    });
}

void QRGeneratorController::setCopyMessage(const QString &message)
{
    if (message == m_copyMessage) {
        return;
    }
    m_copyMessage = message;
    emit copyMessageChanged();
}

} // namespace brimlark
