#include "core/Text.h"

QString trimBlanks(const QString &text)
{
    QStringView view(text);
    while (!view.isEmpty() && view.front() == u' ')
        view = view.sliced(1);
    while (!view.isEmpty() && view.back() == u' ')
        view.chop(1);
    return view.toString();
}
