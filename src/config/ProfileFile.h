#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

// Reads and writes the Windows profile (INI) format the way the Windows
// profile functions do: section and key names without regard to case, first
// match wins, in-place writes that keep every other byte, CR LF,
// Windows-1252 (UTF-8 for a file an editor saved so), atomic replace.
namespace ProfileFile {
// One reading of the whole file, to take several values from it without
// opening and parsing it again for each. A missing or unreadable file reads
// as an empty one.
class Snapshot
{
public:
    Snapshot();
    [[nodiscard]] static Snapshot read(const QString &path);
    [[nodiscard]] std::optional<QString> value(const QString &section, const QString &key) const;

private:
    struct Data;
    std::shared_ptr<const Data> m_data;
};

// The value (text after the first "=", trimmed, outer double quotes removed),
// or nothing when the file, section or key is missing.
[[nodiscard]] std::optional<QString> read(const QString &path, const QString &section, const QString &key);
// Writes one key; false when the file could not be written (then it is
// unchanged) or its folder could not be flushed to the disk after the replace.
bool write(const QString &path, const QString &section, const QString &key, const QString &value);

struct Entry
{
    QString section;
    QString key;
    QString value;
};
// Writes several keys with one replace of the file; the result is the same as
// writing them one after the other.
bool write(const QString &path, const QList<Entry> &entries);
} // namespace ProfileFile
