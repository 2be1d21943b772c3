#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>
#include <optional>

QT_BEGIN_NAMESPACE
class QLocalServer;
class QLocalSocket;
QT_END_NAMESPACE

namespace brimlark {

// One brimlark per settings folder. Starting brimlark again is this
// platform's reopen: the new process hands "reopen" and the URLs of its
// command line to the running one over a local socket and exits; the running
// one brings its window back and handles the URLs.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Role {
        Primary, // this process is the running instance and listens
        HandedOver, // a running instance took the request; exit now
        Standalone, // no socket could be had; run without hand-over
    };

    // A request as it travels: "reopen", then one "url <encoded URL>" line per URL, then "end".
    struct Request
    {
        QList<QUrl> urls;
    };

    static constexpr qsizetype MaximumRequestSize = 64 * 1024;

    explicit SingleInstance(QString serverName = defaultServerName(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // The socket's path: in the user's private runtime folder, one per
    // settings folder so separate sample runs stay separate. Empty when
    // there is no private folder (the program then runs standalone).
    static QString defaultServerName();
    QString serverName() const { return m_serverName; }

    Role start(const QList<QUrl> &urls, int timeoutMs = 2000);

    // Client side: true when a running instance of this user acknowledged
    // the request; a socket of anybody else is never connected to.
    bool handOver(const QList<QUrl> &urls, int timeoutMs = 2000);
    // Server side: listens, taking over a socket left by a process that died.
    // Starts of the same socket probe, listen and remove its file one at a time.
    bool listen();
    bool isListening() const;

    // The URLs among command-line arguments (program name excluded): absolute
    // URLs with a scheme; options and plain paths are not URLs.
    static QList<QUrl> urlsFromArguments(const QStringList &arguments);

    static QByteArray encode(const Request &request);
    // Complete requests only; nothing for anything malformed.
    static std::optional<Request> decode(const QByteArray &bytes);

signals:
    void reopenRequested();
    void urlOpened(const QUrl &url);

private:
    class StartLock;

    bool listenHoldingLock();
    void acceptConnections();
    void readFrom(QLocalSocket *socket);

    QString m_serverName;
    std::unique_ptr<QLocalServer> m_server;
};

} // namespace brimlark
