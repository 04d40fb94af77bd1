#include "ReadOutput.h"

#include "core/Text.h"
#include "core/Windows1252.h"
#include "link/Frame.h"
#include "log/DataFileExport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <array>
#include <charconv>
#include <cstdlib>
#include <utility>

namespace ReadOutput {
namespace {

// The double of a float's shortest decimal, so that 2.8F goes out as 2.8 and
// not as the 2.7999999523162842 of its own double.
double viaShortestDecimal(float value)
{
    std::array<char, 32> digits{};
    const std::to_chars_result written = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    double result = value;
    std::from_chars(digits.data(), written.ptr, result);
    return result;
}

// ISO 8601 to the second with the offset always written out ("+00:00", not "Z").
QString isoTimeWithOffset(const QDateTime &time)
{
    const int offset = time.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return time.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")) + QLatin1Char(offset < 0 ? '-' : '+') +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

QString text(const Reading &reading)
{
    // Captions of the data file's columns, units of the window's fields.
    static const std::array<std::pair<QString, QString>, 9> lines{{
        {QStringLiteral("Polzahl"), QString()},
        {QStringLiteral("Drehzahl"), QStringLiteral("rpm")},
        {QStringLiteral("Spannungskonstante"), QStringLiteral("V/krpm")},
        {QStringLiteral("Spannung"), QStringLiteral("V")},
        {QStringLiteral("el. Winkel"), QStringLiteral("°")},
        {QStringLiteral("mech. Winkel"), QStringLiteral("°")},
        {QStringLiteral("Geberzähne"), QString()},
        {QStringLiteral("Datum"), QString()},
        {QStringLiteral("Zeit"), QString()},
    }};
    QString text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const QString value = trimBlanks(reading.measuredTexts.value(qsizetype(i)));
        text += lines[i].first + QLatin1Char(':');
        // An absent speed stays empty, as in the window.
        if (!value.isEmpty())
            text += QLatin1Char(' ') + value;
        if (!value.isEmpty() && !lines[i].second.isEmpty())
            text += QLatin1Char(' ') + lines[i].second;
        text += QLatin1Char('\n');
    }
    if (reading.verdict) {
        text += QStringLiteral("Bewertung: ") + reading.verdict->text();
        if (reading.verdict->kind() == Verdict::Kind::Fail)
            text += QStringLiteral(" (%1)").arg(reading.verdict->outsideNames().join(QStringLiteral(", ")));
        text += QLatin1Char('\n');
    }
    return text;
}

QByteArray json(const Reading &reading)
{
    const MeasurementRecord record = decodeFrame(reading.buffer);
    QByteArray frame;
    for (int position = 1; position <= Frame::Length; ++position)
        frame.append(char(reading.buffer.at(position)));
    QJsonObject object{
        {QStringLiteral("pole_count"), record.poleCount},
        {QStringLiteral("speed_rpm"), record.speed ? QJsonValue(*record.speed) : QJsonValue()},
        {QStringLiteral("voltage_constant_v_per_krpm"), record.voltageConstant},
        {QStringLiteral("voltage_v"), record.voltage},
        {QStringLiteral("electrical_angle_deg"), viaShortestDecimal(record.electricalAngle)},
        {QStringLiteral("mechanical_angle_deg"), viaShortestDecimal(record.mechanicalAngle)},
        {QStringLiteral("encoder_teeth"), record.teeth},
        {QStringLiteral("offset_u"), record.offsetU},
        {QStringLiteral("offset_v"), record.offsetV},
        {QStringLiteral("offset_w"), record.offsetW},
        {QStringLiteral("time"), isoTimeWithOffset(reading.time)},
        {QStringLiteral("port"), reading.port.isEmpty() ? QJsonValue() : QJsonValue(reading.port)},
        {QStringLiteral("device"), reading.device},
        {QStringLiteral("frame"), QString::fromLatin1(frame.toHex())},
    };
    if (reading.verdict) {
        const QJsonObject verdict = reading.verdict->toJson();
        for (auto it = verdict.begin(); it != verdict.end(); ++it)
            object.insert(it.key(), it.value());
    }
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

QString csv(const Reading &reading, const ReadOptions::Options &options, const QString &dataTrenner,
            const QLocale &locale, const QString &dataFile, const DataFileExport::VerdictColumns &verdict)
{
    const QStringList fields = recordFields(reading, options);
    const QChar separator = DataFileExport::separatorFor(dataTrenner);
    // The columns a save would write: an existing file's header decides.
    const bool withVerdict = DataFileExport::fileExists(dataFile)
                                 ? DataFileExport::hasVerdictColumns(dataFile)
                                 : verdict.forNewFile;
    const QString verdictText =
        withVerdict ? separator + DataFileExport::recordLine({verdict.verdict, verdict.outside}, separator,
                                                             DataFileExport::VerdictColumnCount)
                    : QString();
    // What the data file would hold: its digits and signs as a save writes them.
    const DataFileExport::RecordBytes record = DataFileExport::recordBytes(fields, separator, locale);
    if (record.refusal.isEmpty())
        return Windows1252::decode(record.bytes) + verdictText;
    // A field no save could write: show it as the code page maps it.
    return Windows1252::decode(Windows1252::encode(DataFileExport::recordLine(fields, separator))) +
           verdictText;
}

QStringList recordFields(const Reading &reading, const ReadOptions::Options &options)
{
    return QStringList{options.type, options.number} + reading.measuredTexts + QStringList{options.mark};
}

} // namespace ReadOutput
