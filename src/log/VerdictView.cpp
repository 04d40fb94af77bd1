#include "log/VerdictView.h"

namespace {

QString outsideLine(const Verdict &verdict, const MeasurementRecord &record, LimitValue value,
                    const QLocale &locale)
{
    const std::optional<double> measured = measuredValue(record, value);
    const QString shown = measured ? locale.toString(*measured) : QStringLiteral("kein Wert");
    return QStringLiteral("%1: %2 (%3)")
        .arg(limitValueName(value), shown, verdict.limit(value)->text(value, locale));
}

} // namespace

VerdictView VerdictView::of(const Verdict &verdict, const MeasurementRecord &record, const QLocale &locale)
{
    VerdictView view;
    view.kind = verdict.kind();
    const QString full = verdict.text();
    switch (verdict.kind()) {
    case Verdict::Kind::Pass:
        view.text = full;
        view.toolTip = QStringLiteral("Alle Werte innerhalb ihrer Grenzen");
        break;
    case Verdict::Kind::Fail: {
        view.text = full;
        QStringList lines{QStringLiteral("Außerhalb der Grenzen: ") +
                          verdict.outsideNames().join(QStringLiteral(", "))};
        // The offsets have no field that could carry their limit.
        for (const LimitValue value : verdict.outside()) {
            if (int(value) >= FieldCount)
                lines.append(outsideLine(verdict, record, value, locale));
        }
        view.toolTip = lines.join(u'\n');
        break;
    }
    case Verdict::Kind::None:
        view.text = full;
        view.toolTip = QStringLiteral("Für diesen Typ gilt keine Zeile der Grenzwertdatei");
        break;
    case Verdict::Kind::Error:
        // "Grenzwertdatei fehlerhaft: Zeile 3: …" is too long for the field.
        view.text = full.section(u':', 0, 0);
        view.toolTip = full;
        break;
    }
    for (int i = 0; i < FieldCount; ++i) {
        const auto value = LimitValue(i);
        if (const std::optional<Limit> limit = verdict.limit(value)) {
            view.fieldToolTips[std::size_t(i)] = limit->text(value, locale);
            view.marked[std::size_t(i)] = verdict.isOutside(value);
        }
    }
    return view;
}

DataFileExport::VerdictColumns verdictColumns(const Verdict &verdict, bool forNewFile)
{
    DataFileExport::VerdictColumns columns;
    columns.forNewFile = forNewFile;
    if (verdict.kind() == Verdict::Kind::Pass || verdict.kind() == Verdict::Kind::Fail) {
        columns.verdict = verdict.text();
        columns.outside = verdict.outsideNames().join(QStringLiteral(", "));
    }
    return columns;
}
