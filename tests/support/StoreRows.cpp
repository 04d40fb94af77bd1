#include "support/StoreRows.h"

#include "store/ResultStore.h"

#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>

QStringList storeColumn(const QString &storePath, const QString &column)
{
    ResultStore store(storePath);
    if (const QString cause = store.open(); !cause.isEmpty()) {
        qWarning() << "store" << storePath << cause;
        return {};
    }
    QStringList values;
    QSqlQuery query(store.database());
    if (!query.exec(QStringLiteral("SELECT %1 FROM measurements ORDER BY id").arg(column)))
        qWarning() << query.lastError().text();
    while (query.next())
        values << (query.isNull(0) ? QStringLiteral("null") : query.value(0).toString());
    return values;
}
