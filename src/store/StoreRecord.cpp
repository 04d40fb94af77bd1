#include "store/StoreRecord.h"

#include "core/Limits.h"
#include "core/Text.h"
#include "core/Windows1252.h"
#include "log/DataFileExport.h"

#include <QCryptographicHash>
#include <array>
#include <charconv>

namespace {

// The double that the float's shortest decimal text names: 2.8F gives 2.8,
// not the 2.7999999523 of a plain conversion.
double shortestOf(float value)
{
    std::array<char, 32> digits{};
    const auto written = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    double result = value;
    std::from_chars(digits.data(), written.ptr, result);
    return result;
}

// True when writing would not change the field: no blanks at its ends, no
// line break, only characters that Windows-1252 holds as themselves. Most
// fields are so, and an import checks every field three times.
bool writtenAsIs(const QString &field)
{
    if (field.startsWith(u' ') || field.endsWith(u' '))
        return false;
    for (const QChar c : field) {
        const char16_t unit = c.unicode();
        if (unit == u'\r' || unit == u'\n' || (unit >= 0x80 && unit < 0xA0) || unit > 0xFF)
            return false;
    }
    return true;
}

} // namespace

StoreRecord StoreRecord::fromReading(const MeasurementRecord &record, const QByteArray &frame,
                                     const QDateTime &time, const QStringList &fields, const QString &bench,
                                     const QString &dataFile, const StoreVerdict &verdict)
{
    StoreRecord stored;
    stored.time = time;
    stored.fields = writtenFields(fields);
    stored.values.poleCount = record.poleCount;
    stored.values.speed = record.speed;
    stored.values.voltageConstant = record.voltageConstant;
    stored.values.voltage = record.voltage;
    stored.values.electricalAngle = shortestOf(record.electricalAngle);
    stored.values.mechanicalAngle = shortestOf(record.mechanicalAngle);
    stored.values.teeth = record.teeth;
    stored.values.offsetU = record.offsetU;
    stored.values.offsetV = record.offsetV;
    stored.values.offsetW = record.offsetW;
    stored.frame = frame;
    stored.bench = bench;
    stored.dataFile = dataFile;
    stored.source = ReadSource;
    stored.verdict = verdict;
    return stored;
}

QStringList writtenFields(const QStringList &fields)
{
    QStringList written;
    written.reserve(Quoran::ColumnCount);
    for (int column = 0; column < Quoran::ColumnCount; ++column) {
        if (column < fields.size() && writtenAsIs(fields.at(column))) {
            written.append(fields.at(column));
            continue;
        }
        const QString field = trimBlanks(DataFileExport::withoutLineBreaks(fields.value(column)));
        written.append(Windows1252::decode(Windows1252::encode(field)));
    }
    return written;
}

QString lineHash(const QStringList &fields)
{
    // One hasher a thread: making one costs as much as hashing a line.
    thread_local QCryptographicHash hasher(QCryptographicHash::Sha256);
    hasher.reset();
    hasher.addData(writtenFields(fields).join(QChar(0x1F)).toUtf8());
    return QString::fromLatin1(hasher.result().toHex());
}
