#pragma once

#include <QIcon>
#include <QMap>
#include <QString>

// Images under text keys, as the tool bar takes them.
class ImageList
{
public:
    void add(const QString &key, const QString &resourcePath) { m_icons.insert(key, QIcon(resourcePath)); }
    [[nodiscard]] QIcon icon(const QString &key) const { return m_icons.value(key); }

private:
    QMap<QString, QIcon> m_icons;
};
