#include "central/CentralStatus.h"

using namespace Qt::StringLiterals;

QString CentralStatus::text() const
{
    switch (state) {
    case State::Off:
        return {};
    case State::SavingOff:
        return u"Zentrale: nichts vorgemerkt ([Ergebnisse] Speichern=False)"_s;
    case State::Invalid:
        return u"Zentrale: "_s + reason;
    case State::Checking:
        return u"Zentrale: wird geprüft"_s;
    case State::Current:
        return u"Zentrale: aktuell"_s;
    case State::Pending:
        return u"Zentrale: %1 ausstehend"_s.arg(pending);
    case State::Unreachable:
        return u"Zentrale nicht erreichbar: "_s + reason;
    case State::StoreFailed:
        return u"Zentrale: Ergebnisdatenbank: "_s + reason;
    }
    return {};
}

QString CentralStatus::toolTip() const
{
    QString tip = detail.isEmpty() ? text() : detail;
    if (state == State::SavingOff)
        tip =
            u"Die Ergebnisdatenbank ist ausgeschaltet; es wird nichts an die zentrale Datenbank gesendet."_s;
    if (state == State::Pending || state == State::Unreachable || state == State::StoreFailed)
        tip += u"\n%1 Datensätze ausstehend"_s.arg(pending);
    if (sending)
        tip += u", werden gesendet"_s;
    return tip;
}
