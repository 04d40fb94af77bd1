#include "core/FolderSync.h"

#include "core/FileDescriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

int syncFolderOf(const QByteArray &nativePath)
{
    const qsizetype slash = nativePath.lastIndexOf('/');
    const QByteArray folder = slash < 0    ? QByteArrayLiteral(".")
                              : slash == 0 ? QByteArrayLiteral("/")
                                           : nativePath.left(slash);
    const FileDescriptor handle(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!handle.isOpen())
        return errno;
    if (::fsync(handle.get()) == 0 || errno == EINVAL || errno == ENOTSUP)
        return 0;
    return errno;
}
