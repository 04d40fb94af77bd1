#pragma once

#include "store/StoreRecord.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTimeZone>
#include <functional>
#include <optional>

// Judges an imported line without a verdict of its own against today's
// limits: the values (no offsets) and the machine type.
using ImportJudge = std::function<StoreVerdict(const MeasuredValues &values, const QString &type)>;

// What an import did; every count is of data lines (the header not counted).
struct ImportReport
{
    struct Rejected
    {
        int line = 0;   // 1-based line number in the file
        QString reason; // German
    };
    int linesRead = 0;
    int added = 0;
    int alreadyPresent = 0;
    QList<Rejected> rejected;
    // Empty when the whole file was read into the store; else the German
    // reason: the file could not be read (storeFailed false), or the store
    // could not be written (storeFailed true; lines before it stay stored).
    QString error;
    bool storeFailed = false;
};

// One data-file line turned into a record for the store.
class DataFileImport
{
public:
    // columns: the file's header (see DataFileReader); locale: the regional
    // format its numbers and dates were written in, the other decimal sign
    // accepted where a value does not parse.
    DataFileImport(const QString &dataFile, const QStringList &columns, const QLocale &locale,
                   ImportJudge judge);

    struct Line
    {
        std::optional<StoreRecord> record;
        QString reason; // why it was rejected, when there is no record
    };
    [[nodiscard]] Line parse(const QStringList &fields) const;

private:
    [[nodiscard]] std::optional<double> decimal(const QString &text) const;
    [[nodiscard]] std::optional<qint64> integer(const QString &text) const;
    [[nodiscard]] QDateTime dateTime(const QString &date, const QString &time) const;

    QString m_dataFile;
    qsizetype m_columnCount = 0;
    qsizetype m_verdictColumn = -1;
    qsizetype m_outsideColumn = -1;
    QLocale m_locale;
    QLocale m_other; // the other decimal sign
    struct DateFormats
    {
        QLocale locale;
        QString date;
        QString time;
    };
    QList<DateFormats> m_dateFormats;
    ImportJudge m_judge;
    // Qt's own time-zone data: the C library's mktime reads /etc/localtime
    // again for every line.
    QTimeZone m_zone;
    // Lines of one day share their date text: parsed once.
    mutable QString m_lastDateText;
    mutable QDate m_lastDate;
};
