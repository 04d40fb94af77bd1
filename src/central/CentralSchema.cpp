#include "central/CentralSchema.h"

#include "central/CentralConnection.h"
#include "central/CentralSchemaScript.h"

namespace CentralSchema {

QByteArray script()
{
    return QByteArray(CentralSchemaScript);
}

CentralError init(CentralConnection &connection, QDeadlineTimer deadline)
{
    if (!connection.execScript(script(), deadline))
        return connection.error();
    return {};
}

} // namespace CentralSchema
