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

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
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

// Who is at a socket's path. Asked with a connect of our own: a live
// instance that is busy starting up still takes the connection into its
// backlog, so only a refusal means the socket was left by a process that is gone.
enum class Occupant { Nobody, Live, Gone };

Occupant occupantOf(const QByteArray &path)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (path.size() >= qsizetype(sizeof address.sun_path)) {
        return Occupant::Live; // cannot be asked, so never taken over
    }
    std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (descriptor < 0) {
        return Occupant::Live;
    }
    const int connected = ::connect(descriptor, reinterpret_cast<const sockaddr *>(&address), sizeof address);
    const int error = connected == 0 ? 0 : errno;
    ::close(descriptor);
    if (error == ENOENT) {
        return Occupant::Nobody;
    }
    return error == ECONNREFUSED ? Occupant::Gone : Occupant::Live;
}

} // namespace

// The starts of one settings folder ask who listens, listen and remove a
// socket one at a time: without it two starts at the same moment both found
// nobody, and the second took the first one's fresh socket for a stale one.
// An advisory lock on a file beside the socket; the kernel lets it go with
// the process however it ends.
class SingleInstance::StartLock
{
public:
    StartLock(const QString &serverName, std::chrono::milliseconds wait)
    {
        const QByteArray path = QFile::encodeName(serverName) + ".lock";
        m_descriptor = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        struct stat info
        {
        };
        if (m_descriptor < 0 || ::fstat(m_descriptor, &info) != 0 || info.st_uid != ::getuid()) {
            release();
            return;
        }
        const auto deadline = std::chrono::steady_clock::now() + wait;
        while (::flock(m_descriptor, LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) {
                release();
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    ~StartLock() { release(); }
    StartLock(const StartLock &) = delete;
    StartLock &operator=(const StartLock &) = delete;

    bool isHeld() const { return m_descriptor >= 0; }

private:
    void release()
    {
        if (m_descriptor >= 0) {
            ::close(m_descriptor);
            m_descriptor = -1;
        }
    }

    int m_descriptor = -1;
};

SingleInstance::SingleInstance(QString serverName, QObject *parent)
    : QObject(parent)
    , m_serverName(std::move(serverName))
{
}

SingleInstance::~SingleInstance()
{
    // Closing removes the socket's file by its path: under the lock, so it is
    // never the file of an instance that started after this one stopped answering.
    if (m_server) {
        const StartLock lock(m_serverName, std::chrono::seconds(1));
        m_server.reset();
    }
}

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
    {
        const StartLock lock(m_serverName, std::chrono::milliseconds(2 * timeoutMs));
        if (lock.isHeld() && listenHoldingLock()) {
            return Role::Primary;
        }
    }
    // Another start listens, one that may still be building its window
    // before it answers.
    if (handOver(urls, 2 * timeoutMs)) {
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
    const StartLock lock(m_serverName, std::chrono::seconds(4));
    return lock.isHeld() && listenHoldingLock();
}

bool SingleInstance::listenHoldingLock()
{
    if (isListening()) {
        return true;
    }
    struct stat info
    {
    };
    const QByteArray path = QFile::encodeName(m_serverName);
    if (::lstat(path.constData(), &info) == 0 && info.st_uid != ::getuid()) {
        // Not ours to take over or to remove.
        return false;
    }
    // Listening with access options replaces the socket file even while
    // another instance serves it: ask first whether anybody answers there.
    switch (occupantOf(path)) {
    case Occupant::Live:
        return false;
    case Occupant::Gone:
        // The socket file of a process that is gone.
        QLocalServer::removeServer(m_serverName);
        break;
    case Occupant::Nobody:
        break;
    }
    auto server = std::make_unique<QLocalServer>();
    // Only this user may hand requests over.
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(m_serverName)) {
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
