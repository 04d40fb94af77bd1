#pragma once

#include "link/Frame.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <optional>

// The judgement of a record against the tolerance limits, as plain data.
struct StoreVerdict
{
    // "pass", "fail", "none" or "error"; empty when nothing was judged (no
    // limits file set), stored as null then. Any other text is stored as "error".
    QString verdict;
    QStringList outside;               // names of the values outside their limits
    std::optional<QJsonObject> limits; // the limits applied, {name: [min, max]}; nothing: null
};

// The values of a record in the store's units. Offsets exist only for a
// record read from the instrument; an imported line has none.
struct MeasuredValues
{
    int poleCount = 0;
    std::optional<double> speed; // absent when the period is 0
    double voltageConstant = 0.0;
    double voltage = 0.0;
    double electricalAngle = 0.0;
    double mechanicalAngle = 0.0;
    int teeth = 0;
    std::optional<int> offsetU;
    std::optional<int> offsetV;
    std::optional<int> offsetW;
};

// One record for the store: a saved reading or an imported data-file line.
struct StoreRecord
{
    inline static const QString ReadSource = QStringLiteral("Lesen");
    inline static const QString ImportSource = QStringLiteral("Import");

    QDateTime time;     // when it was read; stored as UTC
    QStringList fields; // the twelve data-file fields, Typ .. Visum
    MeasuredValues values;
    QByteArray frame; // the 26 frame bytes; empty for an imported line
    QString bench;    // empty for an imported line
    QString dataFile;
    QString source = ReadSource;
    StoreVerdict verdict;
    bool judgedOnImport = false;

    // A reading saved by the window or quoran-read: fields as given to the
    // data file's save, values and offsets from the decoded frame (angles as
    // the shortest decimal of their single-precision value, as in the JSON).
    [[nodiscard]] static StoreRecord fromReading(const MeasurementRecord &record, const QByteArray &frame,
                                                 const QDateTime &time, const QStringList &fields,
                                                 const QString &bench, const QString &dataFile,
                                                 const StoreVerdict &verdict);
};

// The twelve fields exactly as the data file holds them: blanks trimmed, line
// breaks as blanks, characters outside Windows-1252 as it maps them.
[[nodiscard]] QStringList writtenFields(const QStringList &fields);
// The record's identity in every store: SHA-256 (hex) of the twelve written
// fields joined by the unit separator U+001F, so a saved record and the same
// line imported from the data file are one.
[[nodiscard]] QString lineHash(const QStringList &fields);
