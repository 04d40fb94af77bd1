#pragma once

#include "tolerance/LimitsTable.h"

#include <QDateTime>
#include <QString>
#include <optional>

// The limits table of one file, read again only when the file's modification
// time or size changed since the last reading, so that an engineer's edit
// counts at the next judgement without a restart. A missing or unreadable
// file is tried again every time.
class LimitsFile
{
public:
    explicit LimitsFile(QString path) : m_path(std::move(path)) {}

    [[nodiscard]] QString path() const { return m_path; }
    // The table as the file stands now.
    [[nodiscard]] const LimitsTable &table();

private:
    struct Stamp
    {
        QDateTime modified;
        qint64 size = 0;
        friend bool operator==(const Stamp &, const Stamp &) = default;
    };

    QString m_path;
    std::optional<Stamp> m_stamp; // of the reading in m_table
    LimitsTable m_table;
};
