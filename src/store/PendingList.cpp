#include "store/PendingList.h"

#include "core/FileDescriptor.h"
#include "core/FolderSync.h"
#include "store/StoreCause.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int LockWaitMs = 2000;
constexpr int LockPollMs = 20;

QJsonValue optionalNumber(const auto &value)
{
    return value ? QJsonValue(double(*value)) : QJsonValue();
}

QByteArray toJsonLine(const StoreRecord &record)
{
    const MeasuredValues &v = record.values;
    const QJsonObject values{
        {QStringLiteral("pole_count"), v.poleCount},
        {QStringLiteral("speed_rpm"), optionalNumber(v.speed)},
        {QStringLiteral("voltage_constant_v_per_krpm"), v.voltageConstant},
        {QStringLiteral("voltage_v"), v.voltage},
        {QStringLiteral("electrical_angle_deg"), v.electricalAngle},
        {QStringLiteral("mechanical_angle_deg"), v.mechanicalAngle},
        {QStringLiteral("encoder_teeth"), v.teeth},
        {QStringLiteral("offset_u"), optionalNumber(v.offsetU)},
        {QStringLiteral("offset_v"), optionalNumber(v.offsetV)},
        {QStringLiteral("offset_w"), optionalNumber(v.offsetW)},
    };
    const QJsonObject object{
        {QStringLiteral("time_utc"), record.time.toUTC().toString(Qt::ISODateWithMs)},
        {QStringLiteral("fields"), QJsonArray::fromStringList(record.fields)},
        {QStringLiteral("values"), values},
        {QStringLiteral("frame"), QString::fromLatin1(record.frame.toHex())},
        {QStringLiteral("bench"), record.bench},
        {QStringLiteral("data_file"), record.dataFile},
        {QStringLiteral("source"), record.source},
        {QStringLiteral("verdict"), record.verdict.verdict},
        {QStringLiteral("outside"), QJsonArray::fromStringList(record.verdict.outside)},
        {QStringLiteral("limits"), record.verdict.limits ? QJsonValue(*record.verdict.limits) : QJsonValue()},
        {QStringLiteral("judged_on_import"), record.judgedOnImport},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

std::optional<int> optionalInt(const QJsonValue &value)
{
    return value.isDouble() ? std::optional<int>(value.toInt()) : std::nullopt;
}

std::optional<StoreRecord> fromJsonLine(const QByteArray &line)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    StoreRecord record;
    record.time =
        QDateTime::fromString(object.value(QStringLiteral("time_utc")).toString(), Qt::ISODateWithMs);
    const QJsonArray fields = object.value(QStringLiteral("fields")).toArray();
    for (const QJsonValue &field : fields)
        record.fields.append(field.toString());
    if (!record.time.isValid() || fields.size() != 12)
        return std::nullopt;
    const QJsonObject values = object.value(QStringLiteral("values")).toObject();
    const auto value = [&values](const char *name) { return values.value(QLatin1StringView(name)); };
    MeasuredValues &v = record.values;
    v.poleCount = value("pole_count").toInt();
    if (value("speed_rpm").isDouble())
        v.speed = value("speed_rpm").toDouble();
    v.voltageConstant = value("voltage_constant_v_per_krpm").toDouble();
    v.voltage = value("voltage_v").toDouble();
    v.electricalAngle = value("electrical_angle_deg").toDouble();
    v.mechanicalAngle = value("mechanical_angle_deg").toDouble();
    v.teeth = value("encoder_teeth").toInt();
    v.offsetU = optionalInt(value("offset_u"));
    v.offsetV = optionalInt(value("offset_v"));
    v.offsetW = optionalInt(value("offset_w"));
    record.frame = QByteArray::fromHex(object.value(QStringLiteral("frame")).toString().toLatin1());
    record.bench = object.value(QStringLiteral("bench")).toString();
    record.dataFile = object.value(QStringLiteral("data_file")).toString();
    record.source = object.value(QStringLiteral("source")).toString();
    record.verdict.verdict = object.value(QStringLiteral("verdict")).toString();
    for (const QJsonValue &name : object.value(QStringLiteral("outside")).toArray())
        record.verdict.outside.append(name.toString());
    if (const QJsonValue limits = object.value(QStringLiteral("limits")); limits.isObject())
        record.verdict.limits = limits.toObject();
    record.judgedOnImport = object.value(QStringLiteral("judged_on_import")).toBool();
    return record;
}

int lockWhole(int fd)
{
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    const QDeadlineTimer deadline(LockWaitMs);
    while (::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
        const int error = errno;
        if (error == ENOLCK || error == EOPNOTSUPP || error == EINVAL)
            return 0; // a file system without locks: go on unlocked, as the data file does
        if (error != EAGAIN && error != EACCES && error != EINTR)
            return error;
        if (deadline.hasExpired())
            return EAGAIN;
        QThread::msleep(LockPollMs);
    }
    return 0;
}

// The list opened and locked. A catch-up may have removed or replaced the
// file while we waited for its lock: then the lock is on a name no longer
// there, and the file is opened again.
struct Locked
{
    std::unique_ptr<FileDescriptor> file;
    int error = 0;
};

Locked openLocked(const QByteArray &path, int flags)
{
    for (int attempt = 0; attempt < 10; ++attempt) {
        auto file = std::make_unique<FileDescriptor>(::open(path.constData(), flags | O_CLOEXEC, 0666));
        if (!file->isOpen())
            return {nullptr, errno};
        if (const int error = lockWhole(file->get()); error != 0)
            return {nullptr, error};
        struct stat opened = {};
        struct stat named = {};
        if (::fstat(file->get(), &opened) != 0)
            return {nullptr, errno};
        if (::stat(path.constData(), &named) == 0 && named.st_ino == opened.st_ino &&
            named.st_dev == opened.st_dev)
            return {std::move(file), 0};
    }
    return {nullptr, EAGAIN};
}

int writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : EIO;
        done += written;
    }
    return ::fsync(fd) == 0 ? 0 : errno;
}

// Replaces the list by bytes: a temporary file beside it, synced, renamed
// over it, the folder synced. The caller holds the old file's lock.
int replace(const QByteArray &path, const QByteArray &bytes)
{
    const QByteArray temp = path + ".tmp-" + QByteArray::number(QRandomGenerator::global()->generate(), 16);
    FileDescriptor file(::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!file.isOpen())
        return errno;
    int error = writeAll(file.get(), bytes);
    if (error == 0)
        error = file.close();
    if (error == 0 && ::rename(temp.constData(), path.constData()) != 0)
        error = errno;
    if (error != 0) {
        static_cast<void>(::unlink(temp.constData()));
        return error;
    }
    return syncFolderOf(path);
}

QByteArray readAll(int fd, int *error)
{
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            *error = errno;
            return {};
        }
        if (got == 0)
            return bytes;
        bytes.append(buffer, got);
    }
}

} // namespace

PendingList::PendingList(QString path) : m_path(std::move(path)) {}

bool PendingList::isEmpty() const
{
    struct stat info = {};
    return ::stat(QFile::encodeName(m_path).constData(), &info) != 0 || info.st_size == 0;
}

QString PendingList::append(const StoreRecord &record) const
{
    const QByteArray path = QFile::encodeName(m_path);
    const Locked locked = openLocked(path, O_WRONLY | O_APPEND | O_CREAT);
    if (!locked.file)
        return StoreCause::ofErrno(locked.error);
    struct stat info = {};
    const bool fresh = ::fstat(locked.file->get(), &info) == 0 && info.st_size == 0;
    int error = writeAll(locked.file->get(), toJsonLine(record));
    // A new file's name must reach the disk too; an empty one left by a failed
    // write is harmless.
    if (error == 0 && fresh)
        error = syncFolderOf(path);
    return error == 0 ? QString() : StoreCause::ofErrno(error);
}

PendingList::Drained PendingList::drain(const std::function<QString(const StoreRecord &)> &write) const
{
    const QByteArray path = QFile::encodeName(m_path);
    const Locked locked = openLocked(path, O_RDWR); // a write lock wants a writable descriptor
    if (!locked.file)
        return {0, 0, locked.error == ENOENT ? QString() : StoreCause::ofErrno(locked.error)};
    int error = 0;
    const QByteArray bytes = readAll(locked.file->get(), &error);
    if (error != 0)
        return {0, 0, StoreCause::ofErrno(error)};

    Drained result;
    QByteArray keep;
    int dropped = 0;
    for (const QByteArray &line : bytes.split('\n')) {
        if (line.trimmed().isEmpty())
            continue;
        if (!result.cause.isEmpty()) {
            keep += line + '\n';
            ++result.remaining;
            continue;
        }
        const std::optional<StoreRecord> record = fromJsonLine(line);
        if (!record) {
            ++dropped;
            continue;
        }
        result.cause = write(*record);
        if (result.cause.isEmpty()) {
            ++result.written;
        } else {
            keep += line + '\n';
            ++result.remaining;
        }
    }
    if (result.written == 0 && dropped == 0)
        return result; // leave the file as it is
    if (keep.isEmpty())
        error = ::unlink(path.constData()) == 0 ? syncFolderOf(path) : errno;
    else
        error = replace(path, keep);
    // The written records stay in the list then; the next catch-up skips them
    // as already stored.
    if (error != 0 && result.cause.isEmpty())
        result.cause = StoreCause::ofErrno(error);
    return result;
}
