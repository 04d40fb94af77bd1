#include "config/RegionalFormat.h"

namespace RegionalFormat {
namespace {

// "C", "C.UTF-8", "POSIX": a choice of the C format, not an unknown name.
bool namesC(const QString &name)
{
    return name.compare(QLatin1String("C"), Qt::CaseInsensitive) == 0 ||
           name.startsWith(QLatin1String("C."), Qt::CaseInsensitive) ||
           name.compare(QLatin1String("POSIX"), Qt::CaseInsensitive) == 0;
}

} // namespace

Resolved resolve(const QString &name, const QLocale &desktop)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return {desktop, false};
    // Qt makes C of every name it does not know.
    const QLocale locale(trimmed);
    if (isC(locale) && !namesC(trimmed))
        return {desktop, true};
    return {locale, false};
}

bool isC(const QLocale &locale)
{
    return locale.language() == QLocale::C;
}

bool missingForSave(const QString &name, const QLocale &desktop)
{
    return name.trimmed().isEmpty() && isC(desktop);
}

QString unknownMessage(const QString &name)
{
    return QStringLiteral("Das Regionalformat \u201E%1\u201C ([Export] Regionalformat in der "
                          "Einstellungsdatei) ist unbekannt; erwartet wird ein Name wie de_DE.")
        .arg(name.trimmed());
}

QString unknownStatusText(const QString &name)
{
    return QStringLiteral("Regionalformat \u201E%1\u201C unbekannt \u2013 es gelten die "
                          "Regionseinstellungen des Desktops")
        .arg(name.trimmed());
}

QString missingForSaveMessage()
{
    return QStringLiteral(
        "Ohne Regionseinstellungen (C, C.UTF-8, POSIX) wird nicht gespeichert: Zahlen, Datum und Zeit "
        "hätten ein anderes Format als die Zeilen, die das Fenster schreibt. Das Format in der "
        "Einstellungsdatei festlegen, z. B. \"Regionalformat=de_DE\" im Abschnitt [Export], oder die "
        "Regionseinstellungen setzen, z. B. LANG=de_DE.UTF-8.");
}

} // namespace RegionalFormat
