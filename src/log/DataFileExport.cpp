#include "log/DataFileExport.h"

#include "core/FileDescriptor.h"
#include "core/FolderSync.h"
#include "core/Limits.h"
#include "core/Text.h"
#include "core/Windows1252.h"
#include "log/DataFileLeftovers.h"
#include "log/MeasurementLog.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace DataFileExport {
namespace {

// Removes a temporary file when it goes out of scope.
class TemporaryName
{
public:
    explicit TemporaryName(QByteArray path) : m_path(std::move(path)) {}
    ~TemporaryName() { ::unlink(m_path.constData()); }
    TemporaryName(const TemporaryName &) = delete;
    TemporaryName &operator=(const TemporaryName &) = delete;

    [[nodiscard]] const char *path() const { return m_path.constData(); }

private:
    QByteArray m_path;
};

QString reasonFor(int error)
{
    switch (error) {
    case ENOENT:
        return QStringLiteral("Der Ordner existiert nicht.");
    case EACCES:
    case EPERM:
        return QStringLiteral("Keine Schreibberechtigung.");
    case ENOSPC:
        return QStringLiteral("Der Datenträger ist voll.");
    case EROFS:
        return QStringLiteral("Der Datenträger ist schreibgeschützt.");
    case EISDIR:
        return QStringLiteral("Der Pfad ist ein Ordner.");
    case ENOTDIR:
        return QStringLiteral("Ein Teil des Pfades ist kein Ordner.");
    case EDQUOT:
        return QStringLiteral("Das Speicherkontingent ist erschöpft.");
    case EFBIG:
        return QStringLiteral("Die Datei ist zu groß.");
    case ENAMETOOLONG:
        return QStringLiteral("Der Dateiname ist zu lang.");
    case ELOOP:
        return QStringLiteral("Der Pfad enthält zu viele symbolische Verknüpfungen.");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("Die Datei wird von einem anderen Programm verwendet.");
    case EAGAIN:
        return QStringLiteral("Die Datei ist von einem anderen Programm gesperrt.");
    case EIO:
        return QStringLiteral("Ein- oder Ausgabefehler des Datenträgers.");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Zu viele geöffnete Dateien.");
    case EINVAL:
        return QStringLiteral("Ungültiger Dateiname.");
    default:
        return QStringLiteral("Systemfehler: ") + QString::fromLocal8Bit(std::strerror(error));
    }
}

// An exclusive lock on the whole file, owned by the open file description, so
// that benches appending to one file on a network share take turns. Another
// writer's lock is waited for up to LockWaitMs; then EAGAIN. A file system
// without locks (ENOLCK, EOPNOTSUPP, EINVAL) is appended to as before.
constexpr int LockWaitMs = 2000;
constexpr int LockPollMs = 50;

int lockWholeFile(int fd)
{
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET; // start 0, length 0: the whole file, however long it grows
    const QDeadlineTimer deadline(LockWaitMs);
    while (::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
        const int error = errno;
        if (error == ENOLCK || error == EOPNOTSUPP || error == EINVAL)
            return 0;
        if (error != EAGAIN && error != EACCES && error != EINTR)
            return error;
        if (deadline.hasExpired())
            return EAGAIN;
        QThread::msleep(LockPollMs);
    }
    return 0;
}

// One open-lock-write-fsync-close cycle; 0 or the errno of the first failure.
// O_APPEND and a single write keep the lines of two local instances apart,
// the lock those of two machines; on failure the file is cut back to where
// our bytes began, still under the lock.
// The line end that must come first so that the bytes start a line of their
// own: none after a line break or in an empty file, LF after a lone CR, CR LF
// otherwise (a torn last line, NUL bytes a cut write left, an editor's file
// without a final line break). Nothing when the end cannot be read.
QByteArray lineBreakBefore(int fd, off_t size)
{
    char last = '\n';
    if (size == 0 || ::pread(fd, &last, 1, size - 1) != 1 || last == '\n')
        return {};
    return last == '\r' ? QByteArray("\n") : QByteArray("\r\n");
}

int appendBytes(const QByteArray &nativePath, const QByteArray &line, int extraFlags = 0)
{
    // Read access only to look at the file's last byte; a file we may only
    // write to is still appended to.
    const int flags = O_APPEND | O_CREAT | O_CLOEXEC | extraFlags;
    FileDescriptor file([&] {
        const int fd = ::open(nativePath.constData(), O_RDWR | flags, 0666);
        return fd < 0 && errno == EACCES ? ::open(nativePath.constData(), O_WRONLY | flags, 0666) : fd;
    }());
    if (!file.isOpen())
        return errno;
    const bool createdHere = (extraFlags & O_EXCL) != 0;
    const auto failBeforeWriting = [&](int error) {
        if (createdHere)
            static_cast<void>(::unlink(nativePath.constData()));
        return error;
    };

    if (const int error = lockWholeFile(file.get()); error != 0)
        return failBeforeWriting(error);
    // The lock belongs to the open file description: this second descriptor
    // keeps it through a cut-back after a failed close of the first.
    const FileDescriptor lockHolder(::fcntl(file.get(), F_DUPFD_CLOEXEC, 0));
    if (!lockHolder.isOpen())
        return failBeforeWriting(errno);

    // Without the old length nothing could be cut back safely, so write nothing.
    struct stat info = {};
    if (::fstat(file.get(), &info) != 0)
        return failBeforeWriting(errno);
    off_t cutAt = info.st_size;
    // Under the lock, so no other bench appends between the look and the write.
    const QByteArray bytes = lineBreakBefore(file.get(), info.st_size) + line;

    qsizetype done = 0;
    int error = 0;
    while (done < bytes.size()) {
        const ssize_t written =
            ::write(file.get(), bytes.constData() + done, std::size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            error = written < 0 ? errno : EIO;
            break;
        }
        if (done == 0) {
            // Another instance may have appended since fstat; cut only our part.
            if (const off_t end = ::lseek(file.get(), 0, SEEK_CUR); end >= written)
                cutAt = end - written;
        }
        done += written;
    }
    if (error == 0 && ::fsync(file.get()) != 0)
        error = errno;

    if (error == 0)
        error = file.close();
    if (error != 0) {
        // A file this call created goes again, so a later save still writes
        // its header; otherwise only our bytes are cut off. The first failure
        // is the one to report.
        if (createdHere)
            static_cast<void>(::unlink(nativePath.constData()));
        else if (done > 0)
            static_cast<void>(::ftruncate(lockHolder.get(), cutAt));
        return error;
    }
    return 0;
}

AppendResult resultOf(int error)
{
    if (error == 0)
        return {true, {}};
    return {false, reasonFor(error)};
}

// A new file gets its header by linking a finished temporary file into place,
// so the file never exists without its header even when two instances save
// into the same new file at once. File systems without hard links fall back
// to an exclusive create.
int createWithHeader(const QByteArray &target, const QByteArray &headerBytes)
{
    // A short hidden name in the same folder: link() cannot cross file systems.
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray("./") : target.left(slash + 1);
    QByteArray tempPath;
    int error = EEXIST;
    for (int attempt = 0; attempt < 8 && error == EEXIST; ++attempt) {
        tempPath = DataFileLeftovers::temporaryPath(folder);
        error = appendBytes(tempPath, headerBytes, O_EXCL);
    }
    if (error == EEXIST)
        return error;
    const TemporaryName temp(tempPath);
    if (error != 0)
        return error;

    if (::link(temp.path(), target.constData()) == 0)
        return 0;
    if (errno == EEXIST) {
        // Another instance created the file, with its header; or the name is
        // a dangling symbolic link, which gets the header through the link.
        return QFileInfo::exists(QFile::decodeName(target)) ? 0 : appendBytes(target, headerBytes);
    }
    const int direct = appendBytes(target, headerBytes, O_EXCL);
    return direct == EEXIST ? 0 : direct;
}

} // namespace

QChar separatorFor(const QString &dataTrenner)
{
    if (dataTrenner == QLatin1String("Tabulator"))
        return QLatin1Char('\t');
    if (dataTrenner == QLatin1String("Komma [,]"))
        return QLatin1Char(',');
    return QLatin1Char(';');
}

QString headerLine(QChar separator, bool withVerdict)
{
    static const QStringList names{QStringLiteral("Typ"),
                                   QStringLiteral("Nummer"),
                                   QStringLiteral("Polzahl"),
                                   QStringLiteral("Drehzahl"),
                                   QStringLiteral("Spannungskonstante"),
                                   QStringLiteral("Spannung (Phase-Phase)"),
                                   QStringLiteral("el. Winkel"),
                                   QStringLiteral("mech. Winkel"),
                                   QStringLiteral("Geberzähne"),
                                   QStringLiteral("Datum"),
                                   QStringLiteral("Zeit"),
                                   QStringLiteral("Visum")};
    if (withVerdict)
        return (names + QStringList{QStringLiteral("Bewertung"), QStringLiteral("Abweichung")})
            .join(separator);
    return names.join(separator);
}

QString withoutLineBreaks(const QString &text)
{
    QString single = text;
    single.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(u'\r', u' ').replace(u'\n', u' ');
    return single;
}

QString recordLine(const QStringList &fields, QChar separator)
{
    return recordLine(fields, separator, Quoran::ColumnCount);
}

QString recordLine(const QStringList &fields, QChar separator, int columnCount)
{
    QString line;
    for (int column = 0; column < columnCount; ++column) {
        if (column > 0)
            line += separator;
        if (column >= fields.size())
            continue;
        const QString field = trimBlanks(withoutLineBreaks(fields.at(column)));
        if (field.contains(separator) || field.contains(u'"')) {
            line += u'"';
            line += QString(field).replace(u'"', QLatin1String("\"\""));
            line += u'"';
        } else {
            line += field;
        }
    }
    return line;
}

QString unholdableReason(char32_t character, const QString &column)
{
    return QStringLiteral("Das Zeichen %1 im Feld \u201E%2\u201C kann in der Datendatei (Windows-1252) "
                          "nicht gespeichert werden.")
        .arg(Windows1252::describe(character), column);
}

QString withFileSigns(const QString &text, const QLocale &locale)
{
    QString mapped = text;
    const QString decimalPoint = locale.decimalPoint();
    const QString groupSeparator = locale.groupSeparator();
    if (!groupSeparator.isEmpty() && !Windows1252::canHold(groupSeparator, Windows1252::Mapping::DataFile))
        mapped.remove(groupSeparator);
    if (!decimalPoint.isEmpty() && !Windows1252::canHold(decimalPoint, Windows1252::Mapping::DataFile))
        mapped.replace(decimalPoint, QStringLiteral("."));
    return mapped;
}

RecordBytes recordBytes(const QStringList &fields, QChar separator, const QLocale &locale)
{
    QStringList fileFields = fields.mid(0, Quoran::ColumnCount);
    const QStringList columns = headerLine(u';').split(u';');
    for (qsizetype column = 0; column < fileFields.size(); ++column) {
        QString &field = fileFields[column];
        const bool measured =
            column >= MeasurementLog::FirstMeasuredField && column <= MeasurementLog::TimeField;
        if (measured)
            field = withFileSigns(field, locale);
        // Each field on its own, so that the message can name it.
        if (const auto checked = Windows1252::encodeChecked(field, Windows1252::Mapping::DataFile);
            !checked.ok()) {
            QString reason = unholdableReason(*checked.unholdable, columns.at(column));
            // The regional settings wrote it, not the operator.
            if (measured)
                reason += QStringLiteral(" Ein Regionalformat wie de_DE unter [Export] Regionalformat in der "
                                         "Einstellungsdatei behebt das.");
            return {{}, reason};
        }
    }
    return {
        Windows1252::encodeChecked(recordLine(fileFields, separator), Windows1252::Mapping::DataFile).bytes,
        {}};
}

AppendResult appendLine(const QString &path, const QString &text)
{
    const Windows1252::Checked checked = Windows1252::encodeChecked(text, Windows1252::Mapping::DataFile);
    if (!checked.ok())
        return {false, QStringLiteral("Das Zeichen %1 kann in der Datendatei (Windows-1252) nicht "
                                      "gespeichert werden.")
                           .arg(Windows1252::describe(*checked.unholdable))};
    return resultOf(appendBytes(QFile::encodeName(path), checked.bytes + "\r\n"));
}

bool fileExists(const QString &path)
{
    return QFileInfo(path).exists();
}

AppendResult save(const QString &path, const QString &dataTrenner, const QStringList &fields,
                  const QLocale &locale, const VerdictColumns &verdict)
{
    if (path.trimmed().isEmpty())
        return {false, QStringLiteral("Es ist keine Datei zum Speichern gewählt.")};
    const QChar separator = separatorFor(dataTrenner);
    // Refused before anything is written: no header in a new file either.
    const RecordBytes record = recordBytes(fields, separator, locale);
    if (!record.refusal.isEmpty())
        return {false, record.refusal};
    const QByteArray nativePath = QFile::encodeName(path);
    const qsizetype slash = nativePath.lastIndexOf('/');
    DataFileLeftovers::removeDead(slash < 0 ? QByteArray() : nativePath.left(slash + 1));
    if (!fileExists(path)) {
        // Also when another instance linked the file in first: it must be on
        // the disk before this save is reported done. A failed folder sync
        // leaves the file with its header, and the next save appends to it.
        int error = createWithHeader(nativePath,
                                     Windows1252::encode(headerLine(separator, verdict.forNewFile)) + "\r\n");
        if (error == 0)
            error = syncFolderOf(nativePath);
        if (error != 0)
            return resultOf(error);
    }
    // Read after the create: another instance may have made the file first.
    QByteArray bytes = record.bytes;
    if (hasVerdictColumns(path)) {
        // The verdict and the German value names fit the code page.
        const QString columns =
            separator + recordLine({verdict.verdict, verdict.outside}, separator, VerdictColumnCount);
        bytes += Windows1252::encodeChecked(columns, Windows1252::Mapping::DataFile).bytes;
    }
    return resultOf(appendBytes(nativePath, bytes + "\r\n"));
}

} // namespace DataFileExport
