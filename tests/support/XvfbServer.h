#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

#include <xcb/xcb.h>

// A private X server for one test (Xvfb on a display number it picks
// itself), with connections to it. Tests skip when Xvfb is not installed.
class XvfbServer
{
public:
    XvfbServer()
    {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (program.isEmpty()) {
            return;
        }
        m_process.setProgram(program);
        m_process.setArguments({ QStringLiteral("-displayfd"), QStringLiteral("1"),
            QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-noreset"),
            QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("640x480x24") });
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start();
        if (!m_process.waitForStarted(5000)) {
            return;
        }
        QByteArray number;
        while (!number.contains('\n') && m_process.waitForReadyRead(10000)) {
            number += m_process.readAllStandardOutput();
        }
        number = number.trimmed();
        if (!number.isEmpty()) {
            m_display = ":" + number;
        }
    }
    ~XvfbServer()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(5000)) {
                m_process.kill();
                m_process.waitForFinished(5000);
            }
        }
    }
    XvfbServer(const XvfbServer &) = delete;
    XvfbServer &operator=(const XvfbServer &) = delete;

    bool isRunning() const { return !m_display.isEmpty(); }
    const QByteArray &display() const { return m_display; }

    // A new connection; the caller disconnects it.
    xcb_connection_t *connect() const
    {
        xcb_connection_t *connection = xcb_connect(m_display.constData(), nullptr);
        if (xcb_connection_has_error(connection)) {
            xcb_disconnect(connection);
            return nullptr;
        }
        return connection;
    }

private:
    QProcess m_process;
    QByteArray m_display;
};
