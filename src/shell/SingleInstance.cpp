#include "shell/SingleInstance.h"

#include "platform/base/Defaults.h"
#include "platform/base/RuntimeDirectory.h"

#include <QCryptographicHash>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <QVariant>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brimlark {

namespace {

const QByteArray s_reopen = "reopen";
const QByteArray s_urlPrefix = "url ";
const QByteArray s_end = "end";
const QByteArray s_ack = "ok\n";
constexpr int s_idleTimeoutMs = 5000;

// Whether the socket file at `path` is a socket of this user's.
bool socketFileIsOurs(const QString &path)
{
    struct stat info
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISSOCK(info.st_mode)
        && info.st_uid == ::getuid();
}

// Whether the process at the other end of a connected local socket runs as
// this user: requests and replies cross only between our own processes.
bool peerIsOurs(const QLocalSocket &socket)
{
    struct ucred credentials
    {
    };
    socklen_t size = sizeof credentials;
    const auto descriptor = static_cast<int>(socket.socketDescriptor());
    return descriptor >= 0 && ::getsockopt(descriptor, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0
        && size == sizeof credentials && credentials.uid == ::getuid();
}

} // namespace

SingleInstance::SingleInstance(QString serverName, QObject *parent)
    : QObject(parent)
    , m_serverName(std::move(serverName))
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultServerName()
{
    // In the user's private folder, where no other user can plant, replace
    // or reach a socket.
    const auto folder = privateRuntimeDirectory();
    if (!folder) {
        return {};
    }
    const QByteArray key = QByteArray::fromStdString(Defaults::configDirectory().string());
    const QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(16);
    return QFile::decodeName(QByteArray::fromStdString(folder->string())) + QStringLiteral("/instance-")
        + QString::fromLatin1(hash);
}

SingleInstance::Role SingleInstance::start(const QList<QUrl> &urls, int timeoutMs)
{
    if (m_serverName.isEmpty()) {
        return Role::Standalone;
    }
    if (handOver(urls, timeoutMs)) {
        return Role::HandedOver;
    }
    if (listen()) {
        return Role::Primary;
    }
    // Another instance may have started listening between the two steps.
    if (handOver(urls, timeoutMs)) {
        return Role::HandedOver;
    }
    return Role::Standalone;
}

bool SingleInstance::handOver(const QList<QUrl> &urls, int timeoutMs)
{
    // Never talk to a socket of another user: it would get our URLs.
    if (!socketFileIsOurs(m_serverName)) {
        return false;
    }
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(timeoutMs)) {
        return false;
    }
    if (!peerIsOurs(socket)) {
        socket.abort();
        return false;
    }
    socket.write(encode(Request { urls }));
    if (!socket.waitForBytesWritten(timeoutMs) && socket.bytesToWrite() > 0) {
        return false;
    }
    // Only an acknowledged request counts: a server that dies on the way
    // leaves this process to carry on by itself.
    QByteArray reply;
    while (!reply.contains('\n')) {
        if (!socket.waitForReadyRead(timeoutMs)) {
            return false;
        }
        reply += socket.readAll();
        if (reply.size() > 16) {
            return false;
        }
    }
    socket.disconnectFromServer();
    return reply == s_ack;
}

bool SingleInstance::listen()
{
    if (isListening()) {
        return true;
    }
    if (m_serverName.isEmpty()) {
        return false;
    }
    // Listening with access options replaces the socket file even while
    // another instance serves it: ask first whether anybody answers there.
    struct stat info
    {
    };
    const QByteArray path = QFile::encodeName(m_serverName);
    if (::lstat(path.constData(), &info) == 0 && info.st_uid != ::getuid()) {
        // Not ours to take over or to remove.
        return false;
    }
    if (socketFileIsOurs(m_serverName)) {
        QLocalSocket probe;
        probe.connectToServer(m_serverName);
        if (probe.waitForConnected(500)) {
            probe.abort();
            return false;
        }
    }
    auto server = std::make_unique<QLocalServer>();
    // Only this user may hand requests over.
    server->setSocketOptions(QLocalServer::UserAccessOption);
    bool ok = server->listen(m_serverName);
    if (!ok && server->serverError() == QAbstractSocket::AddressInUseError) {
        // The socket file of a process that is gone.
        QLocalServer::removeServer(m_serverName);
        ok = server->listen(m_serverName);
    }
    if (!ok) {
        return false;
    }
    m_server = std::move(server);
    connect(m_server.get(), &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    return true;
}

bool SingleInstance::isListening() const
{
    return m_server && m_server->isListening();
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        socket->setParent(this);
        if (!peerIsOurs(*socket)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        socket->setProperty("brimlarkBuffer", QByteArray());
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // A client that never finishes its request is dropped.
        QTimer::singleShot(s_idleTimeoutMs, socket, [socket] { socket->abort(); });
        if (socket->bytesAvailable() > 0) {
            readFrom(socket);
        }
    }
}

void SingleInstance::readFrom(QLocalSocket *socket)
{
    QByteArray buffer = socket->property("brimlarkBuffer").toByteArray() + socket->readAll();
    if (buffer.size() > MaximumRequestSize) {
        socket->abort();
        return;
    }
    const bool complete = buffer.endsWith("\n" + s_end + "\n") || buffer == s_reopen + "\n" + s_end + "\n";
    if (!complete) {
        // A request must begin with "reopen"; anything else is not ours.
        if (buffer.size() >= s_reopen.size() + 1 && !buffer.startsWith(s_reopen + "\n")) {
            socket->abort();
            return;
        }
        socket->setProperty("brimlarkBuffer", buffer);
        return;
    }
    socket->setProperty("brimlarkBuffer", QByteArray());
    const std::optional<Request> request = decode(buffer);
    if (!request) {
        socket->abort();
        return;
    }
    socket->write(s_ack);
    socket->flush();
    socket->disconnectFromServer();

    QPointer<SingleInstance> self(this);
    emit reopenRequested();
    for (const QUrl &url : request->urls) {
        if (!self) {
            return;
        }
        emit urlOpened(url);
    }
}

QList<QUrl> SingleInstance::urlsFromArguments(const QStringList &arguments)
{
    QList<QUrl> urls;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument.startsWith(QLatin1Char('-'))) {
            continue;
        }
        const QUrl url(argument, QUrl::StrictMode);
        // A scheme of two or more letters, so "C:" style paths do not pass.
        if (url.isValid() && url.scheme().size() >= 2 && !url.isRelative()) {
            urls.append(url);
        }
    }
    return urls;
}

QByteArray SingleInstance::encode(const Request &request)
{
    QByteArray bytes = s_reopen + '\n';
    for (const QUrl &url : request.urls) {
        bytes += s_urlPrefix + url.toEncoded() + '\n';
    }
    bytes += s_end + '\n';
    return bytes;
}

std::optional<SingleInstance::Request> SingleInstance::decode(const QByteArray &bytes)
{
    if (bytes.size() > MaximumRequestSize || !bytes.endsWith('\n')) {
        return std::nullopt;
    }
    QList<QByteArray> lines = bytes.chopped(1).split('\n');
    if (lines.size() < 2 || lines.first() != s_reopen || lines.last() != s_end) {
        return std::nullopt;
    }
    Request request;
    for (qsizetype i = 1; i + 1 < lines.size(); ++i) {
        const QByteArray &line = lines.at(i);
        if (!line.startsWith(s_urlPrefix)) {
            return std::nullopt;
        }
        const QUrl url = QUrl::fromEncoded(line.mid(s_urlPrefix.size()), QUrl::StrictMode);
        if (!url.isValid() || url.isRelative()) {
            return std::nullopt;
        }
        request.urls.append(url);
    }
    return request;
}

} // namespace brimlark
