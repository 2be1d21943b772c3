#include "uninstaller/ResidualRemoval.h"

#include "platform/AdminRunner.h"
#include "platform/Trash.h"
#include "uninstaller/helper/SafeRemoval.h"

#include <QFile>

#include <sys/stat.h>

namespace brimlark {

namespace {
// A taken Trash name is retried with fresh digits this many times.
constexpr int s_moveAttempts = 4;

const QString s_denied = QStringLiteral("Administrator access was denied or cancelled.");

QString text(const std::string &s)
{
    return QString::fromStdString(s);
}

bool existsNoFollow(const QString &path)
{
    struct stat st;
    return lstat(QFile::encodeName(path).constData(), &st) == 0;
}

class Remover
{
public:
    explicit Remover(const ResidualRemoval::Context &c)
        : m_context(c)
        , m_trashFiles(c.trash ? c.trash->filesDirectory() : std::string())
        , m_safe(c.home.toStdString(), c.systemRoot.toStdString(), m_trashFiles)
    {
    }

    // Empty when the entry went; otherwise the message's reason.
    std::optional<QString> removePermanently(const AppResidualFile &entry)
    {
        const std::string path = QFile::encodeName(entry.path).toStdString();
        QString ownFailure = s_denied;
        if (entry.isUserDeletable) {
            const SafeRemoval::Outcome own = m_safe.remove(path);
            if (own.status == SafeRemoval::Status::Ok) {
                return std::nullopt;
            }
            if (own.status == SafeRemoval::Status::Refused) {
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
        default:
            return text(admin.reason);
        }
    }

    std::optional<QString> moveToTrash(const AppResidualFile &entry)
    {
        if (!m_context.trash) {
            return QStringLiteral("The Trash isn’t available.");
        }
        const std::string path = QFile::encodeName(entry.path).toStdString();
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
        if (own.status != SafeRemoval::Status::Failed) {
            m_context.trash->release(*name);
            return text(own.reason);
        }
        // The application writes the .trashinfo; the helper only moves.
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
            return { AdminRunner::Outcome::Failed, "Administrator access isn’t available." };
        }
        // Fixed order: operation, the three roots, then the operands.
        std::vector<std::string> args { operation.front(), m_context.home.toStdString(),
            m_context.systemRoot.toStdString(), m_trashFiles };
        args.insert(args.end(), operation.begin() + 1, operation.end());
        return m_context.adminRunner->run(args);
    }

    const ResidualRemoval::Context &m_context;
    std::string m_trashFiles;
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
        if (!existsNoFollow(entry.path)) {
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
        result.removedPaths.insert(entry.path);
    }
    return result;
}

} // namespace brimlark
