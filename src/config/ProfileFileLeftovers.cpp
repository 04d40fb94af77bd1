#include "config/ProfileFileLeftovers.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <ctime>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace ProfileFileLeftovers {
namespace {

struct DirCloser
{
    void operator()(DIR *dir) const { ::closedir(dir); }
};

// Qt's temporary names end in six random letters of both cases.
bool isCopyName(const QByteArray &name, const QByteArray &fileName)
{
    constexpr qsizetype RandomLength = 6;
    if (name.size() != fileName.size() + 1 + RandomLength || !name.startsWith(fileName + '.'))
        return false;
    const QByteArray random = name.last(RandomLength);
    const auto isUpper = [](char c) { return c >= 'A' && c <= 'Z'; };
    const auto isLower = [](char c) { return c >= 'a' && c <= 'z'; };
    return std::all_of(random.cbegin(), random.cend(), [&](char c) { return isUpper(c) || isLower(c); }) &&
           std::any_of(random.cbegin(), random.cend(), isUpper) &&
           std::any_of(random.cbegin(), random.cend(), isLower);
}

} // namespace

int removeStale(const QString &settingsPath, std::chrono::seconds maxAge)
{
    const QFileInfo info(settingsPath);
    const QByteArray folder = QFile::encodeName(info.absolutePath()) + '/';
    const QByteArray fileName = QFile::encodeName(info.fileName());
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.constData()));
    if (!dir)
        return 0;
    const std::time_t oldest = std::time(nullptr) - maxAge.count();
    int removed = 0;
    while (const dirent *entry = ::readdir(dir.get())) {
        const QByteArray name(entry->d_name);
        if (!isCopyName(name, fileName))
            continue;
        const QByteArray path = folder + name;
        struct stat status = {};
        if (::lstat(path.constData(), &status) != 0 || !S_ISREG(status.st_mode) ||
            status.st_uid != ::geteuid() || status.st_mtime > oldest)
            continue;
        if (::unlink(path.constData()) == 0)
            ++removed;
    }
    return removed;
}

} // namespace ProfileFileLeftovers
