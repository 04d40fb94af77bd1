#include "log/DataFileColumns.h"

#include <QFile>
#include <QFileInfo>

namespace DataFileExport {

bool hasVerdictColumns(const QString &path)
{
    // Not a device or a pipe, where reading would wait or take what is not a file's.
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    // A header line is some 130 bytes; the names are ASCII in every encoding.
    QByteArray header = file.readLine(4096);
    while (header.endsWith('\n') || header.endsWith('\r'))
        header.chop(1);
    for (const char separator : {';', ',', '\t'}) {
        if (header.endsWith(QByteArray("Bewertung") + separator + "Abweichung"))
            return true;
    }
    return false;
}

} // namespace DataFileExport
