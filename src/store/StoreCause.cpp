#include "store/StoreCause.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace StoreCause {
namespace {

// SQLite's primary result codes (sqlite3.h); the driver gives them as text.
enum SqliteCode {
    Perm = 3,
    Busy = 5,
    Locked = 6,
    NoMem = 7,
    ReadOnly = 8,
    IoErr = 10,
    Corrupt = 11,
    Full = 13,
    CantOpen = 14,
    NotADb = 26,
};

} // namespace

QString ofSqlError(const QSqlError &error, const QString &path)
{
    bool numeric = false;
    const int code = error.nativeErrorCode().toInt(&numeric) & 0xFF; // extended codes keep it in the low byte
    switch (numeric ? code : -1) {
    case Busy:
    case Locked:
        return QStringLiteral("gesperrt");
    case Full:
        return QStringLiteral("Datenträger voll");
    case Corrupt:
    case NotADb:
        return QStringLiteral("beschädigt");
    case ReadOnly:
        return QStringLiteral("schreibgeschützt");
    case Perm:
        return QStringLiteral("kein Zugriff");
    case IoErr:
        return QStringLiteral("Ein-/Ausgabefehler");
    case NoMem:
        return QStringLiteral("zu wenig Arbeitsspeicher");
    case CantOpen: {
        const QString known = ofUnopenablePath(path);
        return known.isEmpty() ? QStringLiteral("kann nicht geöffnet werden") : known;
    }
    default:
        break;
    }
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return QStringLiteral("SQLite-Fehler %1 (%2)").arg(error.nativeErrorCode(), text);
}

QString ofErrno(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("Datenträger voll");
    case EACCES:
    case EPERM:
        return QStringLiteral("kein Zugriff");
    case EROFS:
        return QStringLiteral("schreibgeschützt");
    case EISDIR:
        return QStringLiteral("ein Ordner an ihrer Stelle");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("Ordner fehlt");
    case EAGAIN:
        return QStringLiteral("gesperrt");
    case EIO:
        return QStringLiteral("Ein-/Ausgabefehler");
    default:
        return QStringLiteral("Systemfehler: ") + QString::fromLocal8Bit(std::strerror(error));
    }
}

QString ofUnopenablePath(const QString &path)
{
    const QFileInfo file(path);
    if (file.isDir())
        return QStringLiteral("ein Ordner an ihrer Stelle");
    const QFileInfo folder(file.absolutePath());
    if (!folder.isDir())
        return QStringLiteral("Ordner fehlt");
    const QByteArray nativeFolder = QFile::encodeName(folder.absoluteFilePath());
    if (::access(nativeFolder.constData(), W_OK | X_OK) != 0)
        return errno == EROFS ? QStringLiteral("schreibgeschützt") : QStringLiteral("kein Zugriff");
    if (file.exists() && ::access(QFile::encodeName(file.absoluteFilePath()).constData(), W_OK) != 0)
        return QStringLiteral("schreibgeschützt");
    return {};
}

} // namespace StoreCause
