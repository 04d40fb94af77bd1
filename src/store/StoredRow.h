#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

// One row of a results store as it is read back, and as the central table
// takes it. A null QString, an invalid time or an empty optional is SQL NULL.
struct StoredRow
{
    QString storeId;    // the store's UUID
    qint64 localId = 0; // the row's id in that store
    QDateTime timeUtc;
    QString dateText; // as written to the data file
    QString timeText;
    QString bench;
    QString type;
    QString number;
    QString mark;
    std::optional<int> poleCount;
    std::optional<double> speedRpm; // none for period 0
    std::optional<double> voltageConstantVPerKrpm;
    std::optional<double> voltageV;
    std::optional<double> electricalAngleDeg;
    std::optional<double> mechanicalAngleDeg;
    std::optional<int> encoderTeeth;
    std::optional<int> offsetU;
    std::optional<int> offsetV;
    std::optional<int> offsetW;
    QString frame;   // 26 bytes as hex
    QString verdict; // pass, fail, none, error
    QString outside; // JSON array of names
    QString limits;  // JSON
    bool judgedOnImport = false;
    QString dataFile;
    QString source; // Lesen or Import
    QString lineHash;
};
