#pragma once

#include <QString>
#include <QStringList>

// One column of every row of a results store file, by id; null as "null".
// Read on a connection of its own, through the store's own opening (an empty
// list when it cannot be opened, with a warning).
[[nodiscard]] QStringList storeColumn(const QString &storePath, const QString &column);
