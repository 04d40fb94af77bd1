#include "link/PortNumber.h"

namespace {

// The leading number of a text the way the original port setting was read:
// blanks, tabs and line feeds are skipped, decimal digits are read until
// anything else; 0 when no digit comes first.
int leadingNumber(QStringView text)
{
    int value = 0;
    for (const QChar c : text) {
        if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r')
            continue;
        if (c < u'0' || c > u'9')
            break;
        if (value > 100000) // far beyond any port number; stops overflow
            break;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

} // namespace

int portNumberFromName(const QString &portName)
{
    const QStringView name(portName);
    if (const int lastTwo = leadingNumber(name.right(2)); lastTwo > 0)
        return lastTwo;
    return leadingNumber(name.right(1));
}
