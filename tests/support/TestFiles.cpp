#include "support/TestFiles.h"

#include <QFile>
#include <QtGlobal>

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QString makeFile(const QString &path, const QByteArray &bytes)
{
    if (!writeFile(path, bytes))
        qFatal("cannot write test file");
    return path;
}
