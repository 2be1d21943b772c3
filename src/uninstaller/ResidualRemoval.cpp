#include "uninstaller/ResidualRemoval.h"

#include "platform/base/AdminRunner.h"
#include "platform/base/Trash.h"
#include "uninstaller/helper/SafeRemoval.h"

#include <QFile>

#include <cerrno>
#include <sys/stat.h>

namespace brimlark {

namespace {
// A taken Trash name is retried with fresh digits this many times.
constexpr int s_moveAttempts = 4;

const QString s_denied = QStringLiteral("Administrator access was denied or cancelled.");
const QString s_unavailable = QStringLiteral("Administrator access is not available here.");
const QString s_otherTrash = QStringLiteral("It can only be moved with administrator rights, which use the "
                                            "Trash in ~/.local/share, not the one XDG_DATA_HOME names.");
const QString s_otherFileSystem
    = QStringLiteral("It is on another file system than the Trash, so it can’t be moved there.");

QString text(const std::string &s)
{
    return QString::fromStdString(s);
}

bool existsNoFollow(const QByteArray &path)
{
    struct stat st;
    return lstat(path.constData(), &st) == 0;
}

class Remover
{
public:
    explicit Remover(const ResidualRemoval::Context &c)
        : m_context(c)
        , m_trashFiles(c.trash ? c.trash->filesDirectory() : std::string())
        , m_home(QFile::encodeName(c.home).toStdString())
        , m_safe(m_home, QFile::encodeName(c.systemRoot).toStdString(), m_trashFiles)
    {
    }

    // Empty when the entry went; otherwise the message's reason.
    std::optional<QString> removePermanently(const AppResidualFile &entry)
    {
        const std::string path = entry.fileSystemPath().toStdString();
        QString ownFailure = s_denied;
        if (entry.isUserDeletable) {
            const SafeRemoval::Outcome own = m_safe.remove(path);
            if (own.status == SafeRemoval::Status::Ok) {
                return std::nullopt;
            }
            // Refused, or stopped at another file system: final either way.
            if (own.status == SafeRemoval::Status::Refused || own.error == EXDEV) {
                return text(own.reason);
            }
            ownFailure = text(own.reason);
        }
        const AdminRunner::Result admin = runAdmin({ "delete", path });
        switch (admin.outcome) {
        case AdminRunner::Outcome::Succeeded:
            return std::nullopt;
        case AdminRunner::Outcome::Denied:
            return ownFailure;
        case AdminRunner::Outcome::Unavailable:
            return entry.isUserDeletable ? ownFailure : s_unavailable;
        default:
            return text(admin.reason);
        }
    }

    std::optional<QString> moveToTrash(const AppResidualFile &entry)
    {
        if (!m_context.trash) {
            return QStringLiteral("The Trash isn’t available.");
        }
        const std::string path = entry.fileSystemPath().toStdString();
        std::string error;
        std::optional<Trash::Reservation> name = m_context.trash->reserve(path, false, error);
        SafeRemoval::Outcome own;
        for (int attempt = 0; name && attempt < s_moveAttempts; ++attempt) {
            own = m_safe.moveToTrash(path, name->name);
            if (own.status != SafeRemoval::Status::DestinationExists) {
                break;
            }
            name = renewed(*name, path, error);
        }
        if (!name) {
            return text(error);
        }
        if (own.status == SafeRemoval::Status::Ok) {
            return std::nullopt;
        }
        // A refusal, or a Trash on another file system, is final: an
        // administrator could not do better, so nobody is asked.
        if (own.status != SafeRemoval::Status::Failed || own.error == EXDEV) {
            m_context.trash->release(*name);
            return own.error == EXDEV ? s_otherFileSystem : text(own.reason);
        }
        // The application writes the .trashinfo; the helper only moves, into
        // the account's own Trash: with another one here, the item and its
        // info would end up in two Trashes.
        const std::optional<std::string> accountHome
            = m_context.adminRunner ? m_context.adminRunner->accountHome() : std::nullopt;
        if (SafeRemoval::cleaned(m_trashFiles)
            != SafeRemoval::accountTrashFiles(accountHome.value_or(m_home))) {
            m_context.trash->release(*name);
            return s_otherTrash;
        }
        for (int attempt = 0; name && attempt < s_moveAttempts; ++attempt) {
            const AdminRunner::Result admin = runAdmin({ "move", path, name->name });
            switch (admin.outcome) {
            case AdminRunner::Outcome::Succeeded:
                return std::nullopt;
            case AdminRunner::Outcome::DestinationExists:
                name = renewed(*name, path, error);
                continue;
            case AdminRunner::Outcome::Denied:
                m_context.trash->release(*name);
                return text(own.reason);
            case AdminRunner::Outcome::Unavailable:
                m_context.trash->release(*name);
                return s_unavailable;
            case AdminRunner::Outcome::Failed:
                m_context.trash->release(*name);
                return text(admin.reason);
            }
        }
        if (name) {
            m_context.trash->release(*name);
        }
        return name ? QStringLiteral("No free name was found in the Trash.") : text(error);
    }

private:
    std::optional<Trash::Reservation> renewed(
        const Trash::Reservation &old, const std::string &path, std::string &error)
    {
        m_context.trash->release(old);
        return m_context.trash->reserve(path, true, error);
    }

    AdminRunner::Result runAdmin(std::vector<std::string> operation)
    {
        if (!m_context.adminRunner) {
            return { AdminRunner::Outcome::Unavailable, {} };
        }
        // Fixed order: operation, the three roots, then the operands.
        std::vector<std::string> args { operation.front(), QFile::encodeName(m_context.home).toStdString(),
            QFile::encodeName(m_context.systemRoot).toStdString(), m_trashFiles };
        args.insert(args.end(), operation.begin() + 1, operation.end());
        return m_context.adminRunner->run(args);
    }

    const ResidualRemoval::Context &m_context;
    std::string m_trashFiles;
    std::string m_home;
    SafeRemoval m_safe;
};

} // namespace

bool ResidualRemoval::isProtected(const Context &context, const AppResidualFile &entry)
{
    if (entry.category == ResidualCategory::appBundle && context.isSystemApp) {
        return true;
    }
    const QString rootSystem = (context.systemRoot == QLatin1String("/") ? QString() : context.systemRoot)
        + QStringLiteral("/System/");
    return entry.path.startsWith(QLatin1String("/System/")) || entry.path.startsWith(rootSystem);
}

RemovalResult ResidualRemoval::run(
    const Context &context, DeletionMethod method, const QList<AppResidualFile> &selection)
{
    RemovalResult result;
    Remover remover(context);
    for (const AppResidualFile &entry : selection) {
        // lstat, so a dangling link among the findings is still removed.
        if (!existsNoFollow(entry.fileSystemPath())) {
            continue;
        }
        std::optional<QString> failure;
        if (isProtected(context, entry)) {
            failure = QStringLiteral("Items of the system can’t be removed.");
        } else if (method == DeletionMethod::permanent) {
            failure = remover.removePermanently(entry);
        } else {
            failure = remover.moveToTrash(entry);
        }
        if (failure) {
            result.errors.append(entry.displayName + QStringLiteral(": ") + *failure);
            continue;
        }
        ++result.removedCount;
        result.freedBytes += entry.sizeBytes;
        result.removedPaths.insert(entry.fileSystemPath());
    }
    return result;
}

} // namespace brimlark
