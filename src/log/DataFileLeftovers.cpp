#include "log/DataFileLeftovers.h"

#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <csignal>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace DataFileLeftovers {
namespace {

const QByteArray Prefix = QByteArrayLiteral(".quoran-");

struct DirCloser
{
    void operator()(DIR *dir) const { ::closedir(dir); }
};

// The process of a name of this host, or 0 when the name is none of ours.
pid_t processOf(const QByteArray &name, const QByteArray &host)
{
    const QByteArray ownPrefix = Prefix + host + '-';
    if (!name.startsWith(ownPrefix))
        return 0;
    const QByteArray rest = name.sliced(ownPrefix.size());
    const qsizetype dash = rest.indexOf('-');
    if (dash <= 0 || dash == rest.size() - 1)
        return 0;
    bool ok = false;
    const qlonglong pid = rest.first(dash).toLongLong(&ok, 10);
    const bool hexTail = std::all_of(rest.cbegin() + dash + 1, rest.cend(),
                                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
    return ok && hexTail && pid > 0 && pid <= INT_MAX ? pid_t(pid) : 0;
}

bool processEnded(pid_t pid)
{
    // EPERM: it runs under another user; only ESRCH says it is gone.
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

} // namespace

QByteArray hostName()
{
    std::array<char, 256> name{};
    if (::gethostname(name.data(), name.size() - 1) != 0)
        return {};
    QByteArray host(name.data());
    // A name part of a path must not leave its folder.
    host.replace('/', '_');
    return host;
}

QByteArray temporaryPath(const QByteArray &folder)
{
    QByteArray host = hostName();
    if (host.isEmpty())
        host = "unknown";
    return folder + Prefix + host + '-' + QByteArray::number(::getpid()) + '-' +
           QByteArray::number(QRandomGenerator::global()->generate(), 16);
}

int removeDead(const QByteArray &folder)
{
    const QByteArray host = hostName();
    if (host.isEmpty())
        return 0;
    const QByteArray path = folder.isEmpty() ? QByteArray("./") : folder;
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(path.constData()));
    if (!dir)
        return 0;
    int removed = 0;
    while (const dirent *entry = ::readdir(dir.get())) {
        const QByteArray name(entry->d_name);
        const pid_t pid = processOf(name, host);
        if (pid == 0 || !processEnded(pid))
            continue;
        struct stat info = {};
        const QByteArray file = path + name;
        if (::lstat(file.constData(), &info) == 0 && S_ISREG(info.st_mode) && ::unlink(file.constData()) == 0)
            ++removed;
    }
    return removed;
}

} // namespace DataFileLeftovers
