#include "store/DataFileImport.h"

#include "core/Limits.h"
#include "log/MeasurementLog.h"
#include "log/ReadTimestamp.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

// The columns of the twelve by their header names, for the reasons.
enum Column { Poles = 2, Speed, VoltageConstant, Voltage, ElectricalAngle, MechanicalAngle, Teeth };

const QString &columnName(int column)
{
    static const QStringList names{QString(),
                                   QString(),
                                   QStringLiteral("Polzahl"),
                                   QStringLiteral("Drehzahl"),
                                   QStringLiteral("Spannungskonstante"),
                                   QStringLiteral("Spannung (Phase-Phase)"),
                                   QStringLiteral("el. Winkel"),
                                   QStringLiteral("mech. Winkel"),
                                   QStringLiteral("Geberzähne")};
    return names.at(column);
}

// The plain forms of the data file's numbers read without QLocale, which
// takes ten times as long: an optional minus, digits, and either one
// decimal sign or, for whole numbers, group separators between groups of
// three. Anything else is left to QLocale.
std::optional<double> plainNumber(QStringView text, QChar decimalPoint, QChar group, bool whole)
{
    std::array<char, 40> ascii{};
    std::size_t length = 0;
    qsizetype i = text.startsWith(u'-') ? 1 : 0;
    if (i == 1)
        ascii[length++] = '-';
    qsizetype digitsInGroup = 0;
    bool grouped = false;
    bool decimals = false;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (length + 1 >= ascii.size())
            return std::nullopt;
        if (c >= u'0' && c <= u'9') {
            ascii[length++] = char(c.unicode());
            ++digitsInGroup;
        } else if (whole && c == group && digitsInGroup > 0 && digitsInGroup <= 3 &&
                   (!grouped || digitsInGroup == 3)) {
            grouped = true;
            digitsInGroup = 0;
        } else if (!whole && !decimals && c == decimalPoint && digitsInGroup > 0) {
            ascii[length++] = '.';
            decimals = true;
            digitsInGroup = 0;
        } else {
            return std::nullopt;
        }
    }
    if (digitsInGroup == 0 || (grouped && digitsInGroup != 3))
        return std::nullopt;
    double value = 0.0;
    const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + length, value);
    if (error != std::errc() || end != ascii.data() + length)
        return std::nullopt;
    return value;
}

QString quotedText(const QString &text)
{
    return QStringLiteral("„%1“").arg(text);
}

// The time in a format of hours, minutes, seconds and AM/PM only, as the
// data file's times are; invalid for anything else, which QLocale then
// parses. QLocale's parser is slower by far: it converts through the C
// library's local time, which reads the time-zone file again every time.
QTime plainTime(QStringView text, QStringView format, const QLocale &locale)
{
    int hour = -1;
    int minute = 0;
    int second = 0;
    std::optional<bool> pm;
    qsizetype at = 0;
    for (qsizetype f = 0; f < format.size();) {
        const QChar letter = format.at(f);
        qsizetype run = 1;
        while (f + run < format.size() && format.at(f + run) == letter)
            ++run;
        if (letter == u'H' || letter == u'h' || letter == u'm' || letter == u's') {
            int value = 0;
            qsizetype digits = 0;
            while (digits < 2 && at < text.size() && text.at(at).isDigit()) {
                value = value * 10 + text.at(at).digitValue();
                ++at;
                ++digits;
            }
            if (digits < run || digits == 0)
                return {};
            (letter == u'm' ? minute : letter == u's' ? second : hour) = value;
        } else if (letter == u'A' || letter == u'a') {
            run = format.sliced(f).startsWith(QLatin1StringView("AP"), Qt::CaseInsensitive) ? 2 : 1;
            const QString am = locale.amText();
            const QString pm12 = locale.pmText();
            if (text.sliced(at).startsWith(am, Qt::CaseInsensitive)) {
                pm = false;
                at += am.size();
            } else if (text.sliced(at).startsWith(pm12, Qt::CaseInsensitive)) {
                pm = true;
                at += pm12.size();
            } else {
                return {};
            }
        } else if (letter.isLetter() || letter == u'\'') {
            return {};
        } else {
            for (qsizetype i = 0; i < run; ++i, ++at) {
                if (at >= text.size() || text.at(at) != letter)
                    return {};
            }
        }
        f += run;
    }
    if (at != text.size() || hour < 0)
        return {};
    if (pm) {
        if (hour < 1 || hour > 12)
            return {};
        hour = hour % 12 + (*pm ? 12 : 0);
    }
    return QTime(hour, minute, second);
}

} // namespace

DataFileImport::DataFileImport(const QString &dataFile, const QStringList &columns, const QLocale &locale,
                               ImportJudge judge)
    : m_dataFile(dataFile), m_columnCount(columns.size()),
      m_verdictColumn(columns.indexOf(QStringLiteral("Bewertung"))),
      m_outsideColumn(columns.indexOf(QStringLiteral("Abweichung"))), m_locale(locale),
      m_other(locale.decimalPoint() == QLatin1String(",") ? QLocale(QLocale::English, QLocale::UnitedStates)
                                                          : QLocale(QLocale::German, QLocale::Germany)),
      m_judge(std::move(judge)), m_zone(QTimeZone::systemTimeZone())
{
    // Dates as this locale writes them, then as the other decimal sign's
    // locale does, then ISO 8601.
    for (const QLocale &dateLocale : {m_locale, m_other})
        m_dateFormats.append(
            {dateLocale, ReadTimestamp::dateFormat(dateLocale), ReadTimestamp::timeFormat(dateLocale)});
}

std::optional<double> DataFileImport::decimal(const QString &text) const
{
    // The decimal patterns have no grouping, so "2.8" is never 28.
    for (const QLocale &locale : {m_locale, m_other}) {
        if (const auto value = plainNumber(text, locale.decimalPoint().front(), {}, false))
            return value;
    }
    for (QLocale locale : {m_locale, m_other}) {
        locale.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator);
        bool ok = false;
        const double value = locale.toDouble(text, &ok);
        if (ok)
            return value;
    }
    return std::nullopt;
}

std::optional<qint64> DataFileImport::integer(const QString &text) const
{
    // Speed and teeth are grouped: "1.234" in German is 1234, and so is
    // "1,234" from an English desktop, which a German reading as a decimal
    // would take for 1.234.
    for (const QLocale &locale : {m_locale, m_other}) {
        if (const auto value = plainNumber(text, {}, locale.groupSeparator().front(), true);
            value && std::abs(*value) < 1e15)
            return qint64(*value);
    }
    for (const QLocale &locale : {m_locale, m_other}) {
        bool ok = false;
        const qint64 value = locale.toLongLong(text, &ok);
        if (ok)
            return value;
    }
    return std::nullopt;
}

QDateTime DataFileImport::dateTime(const QString &dateText, const QString &timeText) const
{
    if (dateText != m_lastDateText) {
        m_lastDate = {};
        for (const DateFormats &formats : m_dateFormats) {
            m_lastDate = formats.locale.toDate(dateText, formats.date);
            if (m_lastDate.isValid())
                break;
        }
        if (!m_lastDate.isValid())
            m_lastDate = QDate::fromString(dateText, Qt::ISODate);
        m_lastDateText = dateText;
    }
    QTime time;
    for (const DateFormats &formats : m_dateFormats) {
        time = plainTime(timeText, formats.time, formats.locale);
        if (!time.isValid())
            time = formats.locale.toTime(timeText, formats.time);
        if (time.isValid())
            break;
    }
    if (!time.isValid())
        time = QTime::fromString(timeText, Qt::ISODate);
    if (!m_lastDate.isValid() || !time.isValid())
        return {};
    return QDateTime(m_lastDate, time, m_zone);
}

DataFileImport::Line DataFileImport::parse(const QStringList &fields) const
{
    using namespace MeasurementLog;
    if (fields.size() != m_columnCount)
        return {std::nullopt, QStringLiteral("%1 Spalten statt %2").arg(fields.size()).arg(m_columnCount)};

    StoreRecord record;
    record.fields = writtenFields(fields.mid(0, Quoran::ColumnCount));
    const QStringList &written = record.fields;
    record.time = dateTime(written.at(DateField), written.at(TimeField));
    if (!record.time.isValid())
        return {std::nullopt, QStringLiteral("Datum %1 oder Zeit %2 nicht lesbar")
                                  .arg(quotedText(written.at(DateField)), quotedText(written.at(TimeField)))};

    const auto wholeNumber = [&](int column) -> std::optional<int> {
        const std::optional<qint64> value = integer(written.at(column));
        if (!value || *value < std::numeric_limits<int>::min() || *value > std::numeric_limits<int>::max())
            return std::nullopt;
        return int(*value);
    };
    QString reason;
    const auto required = [&](int column, auto value) {
        if (!value && reason.isEmpty())
            reason = written.at(column).isEmpty()
                         ? QStringLiteral("%1 fehlt").arg(columnName(column))
                         : QStringLiteral("%1 %2 ist keine Zahl")
                               .arg(columnName(column), quotedText(written.at(column)));
        return value.value_or(0);
    };
    MeasuredValues &values = record.values;
    values.poleCount = required(Poles, wholeNumber(Poles));
    if (!written.at(Speed).isEmpty()) {
        std::optional<double> speed;
        if (const std::optional<qint64> whole = integer(written.at(Speed)))
            speed = double(*whole);
        else
            speed = decimal(written.at(Speed));
        values.speed = required(Speed, speed);
    }
    values.voltageConstant = required(VoltageConstant, decimal(written.at(VoltageConstant)));
    values.voltage = required(Voltage, decimal(written.at(Voltage)));
    values.electricalAngle = required(ElectricalAngle, decimal(written.at(ElectricalAngle)));
    values.mechanicalAngle = required(MechanicalAngle, decimal(written.at(MechanicalAngle)));
    values.teeth = required(Teeth, wholeNumber(Teeth));
    if (!reason.isEmpty())
        return {std::nullopt, reason};

    if (m_verdictColumn >= 0) {
        const QString verdict = fields.at(m_verdictColumn).trimmed();
        if (verdict == QLatin1String("i.O."))
            record.verdict.verdict = QStringLiteral("pass");
        else if (verdict == QLatin1String("n.i.O."))
            record.verdict.verdict = QStringLiteral("fail");
        else if (verdict.isEmpty())
            record.verdict.verdict = QStringLiteral("none");
        else
            return {std::nullopt, QStringLiteral("Bewertung %1 unbekannt").arg(quotedText(verdict))};
        const QString outside = m_outsideColumn >= 0 ? fields.at(m_outsideColumn).trimmed() : QString();
        if (!outside.isEmpty())
            record.verdict.outside = outside.split(QStringLiteral(", "));
    } else if (m_judge) {
        record.verdict = m_judge(values, written.at(TypeField));
        // A judge without limits to apply gives no verdict: nothing was judged.
        record.judgedOnImport = !record.verdict.verdict.isEmpty();
    }
    record.dataFile = m_dataFile;
    record.source = StoreRecord::ImportSource;
    return {std::move(record), {}};
}
