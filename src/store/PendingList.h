#pragma once

#include "store/StoreRecord.h"

#include <QString>
#include <functional>

// The records whose store write failed, kept in a small file beside the
// store until a catch-up writes them: one JSON object a line, appended with
// fsync (and a folder sync for a new file), rewritten by an atomic replace.
// Every change holds a lock on the file, so the window and quoran-read can
// share one list.
class PendingList
{
public:
    explicit PendingList(QString path);

    [[nodiscard]] const QString &path() const { return m_path; }
    // True when the file holds nothing to catch up (or does not exist); cheap.
    [[nodiscard]] bool isEmpty() const;

    // Adds one record; empty or the German cause of the failure.
    [[nodiscard]] QString append(const StoreRecord &record) const;

    struct Drained
    {
        int written = 0;
        int remaining = 0;
        QString cause; // of the first failed write, or of reading or rewriting the list
    };
    // Hands the kept records in their order to write (empty: done, else its
    // cause: stop there), then removes the written ones from the list, the
    // file itself when none remains. A damaged line (cut off by a crash
    // before its append returned) is dropped.
    [[nodiscard]] Drained drain(const std::function<QString(const StoreRecord &)> &write) const;

private:
    QString m_path;
};
