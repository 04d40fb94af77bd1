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
        const QString field = trimBlanks(DataFileExport::withoutLineBreaks(fields.value(column)));
        written.append(Windows1252::decode(Windows1252::encode(field)));
    }
    return written;
}

QString lineHash(const QStringList &fields)
{
    const QByteArray joined = writtenFields(fields).join(QChar(0x1F)).toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(joined, QCryptographicHash::Sha256).toHex());
}
