#include "tolerance/LimitsFile.h"

#include <QFileInfo>

const LimitsTable &LimitsFile::table()
{
    const QFileInfo info(m_path);
    const std::optional<Stamp> now =
        info.isFile() ? std::optional<Stamp>(Stamp{info.lastModified(), info.size()}) : std::nullopt;
    if (now && now == m_stamp)
        return m_table;
    // Stamped before reading: an edit during the reading changes the stamp
    // again, so the next call reads the file once more.
    m_table = LimitsTable::read(m_path);
    const bool fileRead = m_table.status() != LimitsTable::Status::Missing &&
                          m_table.status() != LimitsTable::Status::Unreadable;
    m_stamp = fileRead ? now : std::nullopt;
    return m_table;
}
