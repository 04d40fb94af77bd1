#include "log/ReadTimestamp.h"

#include <QList>

namespace ReadTimestamp {
namespace {

// A format string cut into quoted literals, runs of one field letter, and
// other literal characters, so that fields can be changed without touching
// text in quotes.
struct Token
{
    QString text;
    bool field = false;
};

QList<Token> tokenize(const QString &format)
{
    QList<Token> tokens;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format.at(i);
        qsizetype end = i + 1;
        bool field = false;
        if (c == QLatin1Char('\'')) {
            while (end < format.size() && format.at(end) != QLatin1Char('\''))
                ++end;
            end = qMin(end + 1, format.size());
        } else if (c.isLetter() && c.unicode() < 0x80) {
            while (end < format.size() && format.at(end) == c)
                ++end;
            field = true;
        }
        tokens.append({format.sliced(i, end - i), field});
        i = end;
    }
    return tokens;
}

QString join(const QList<Token> &tokens)
{
    QString out;
    for (const Token &token : tokens)
        out += token.text;
    return out;
}

} // namespace

QString dateFormat(const QLocale &locale)
{
    QList<Token> tokens = tokenize(locale.dateFormat(QLocale::ShortFormat));
    for (Token &token : tokens) {
        if (token.field && token.text.front() == QLatin1Char('y'))
            token.text = QStringLiteral("yyyy");
    }
    return join(tokens);
}

QString timeFormat(const QLocale &locale)
{
    QList<Token> tokens = tokenize(locale.timeFormat(QLocale::LongFormat));
    tokens.removeIf([](const Token &token) { return token.field && token.text.front() == QLatin1Char('t'); });
    QString format = join(tokens);
    // Some locales put the zone in brackets.
    format.remove(QStringLiteral("()"));
    return format.trimmed();
}

QString dateText(const QDate &date, const QLocale &locale)
{
    return locale.toString(date, dateFormat(locale));
}

QString timeText(const QTime &time, const QLocale &locale)
{
    return locale.toString(time, timeFormat(locale));
}

} // namespace ReadTimestamp
