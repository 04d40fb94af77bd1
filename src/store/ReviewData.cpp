#include "store/ReviewData.h"

namespace {

struct QuantityNames
{
    const char16_t *name;
    const char16_t *column;
};
constexpr std::array<QuantityNames, AllReviewQuantities.size()> Quantities{{
    {u"el. Winkel", u"electrical_angle_deg"},
    {u"mech. Winkel", u"mechanical_angle_deg"},
    {u"Spannungskonstante", u"voltage_constant_v_per_krpm"},
    {u"Spannung", u"voltage_v"},
    {u"Drehzahl", u"speed_rpm"},
    {u"Offset Phase U", u"offset_u"},
    {u"Offset Phase V", u"offset_v"},
    {u"Offset Phase W", u"offset_w"},
}};

constexpr std::array<QuantityNames, ReviewColumnCount> Columns{{
    {u"Zeit", u"time_utc"},
    {u"Typ", u"type"},
    {u"Nummer", u"number"},
    {u"Visum", u"mark"},
    {u"Polzahl", u"pole_count"},
    {u"Drehzahl", u"speed_rpm"},
    {u"Spannungskonstante", u"voltage_constant_v_per_krpm"},
    {u"Spannung", u"voltage_v"},
    {u"el. Winkel", u"electrical_angle_deg"},
    {u"mech. Winkel", u"mechanical_angle_deg"},
    {u"Geberzähne", u"encoder_teeth"},
    {u"Offset U", u"offset_u"},
    {u"Offset V", u"offset_v"},
    {u"Offset W", u"offset_w"},
    {u"Bewertung", u"verdict"},
    {u"Abweichung", u"outside"},
    {u"Quelle", u"source"},
    {u"Prüfstand", u"bench"},
}};

} // namespace

QString reviewQuantityName(ReviewQuantity quantity)
{
    return QString::fromUtf16(Quantities[std::size_t(quantity)].name);
}

QString reviewQuantityColumn(ReviewQuantity quantity)
{
    return QString::fromUtf16(Quantities[std::size_t(quantity)].column);
}

QString reviewColumnTitle(ReviewColumn column)
{
    return QString::fromUtf16(Columns[std::size_t(column)].name);
}

QString reviewColumnSqlName(ReviewColumn column)
{
    return QString::fromUtf16(Columns[std::size_t(column)].column);
}

ReviewColumn reviewColumnOf(ReviewQuantity quantity)
{
    // Both name the store's column.
    const QString column = reviewQuantityColumn(quantity);
    for (int i = 0; i < ReviewColumnCount; ++i) {
        if (reviewColumnSqlName(ReviewColumn(i)) == column)
            return ReviewColumn(i);
    }
    return ReviewColumn::ElectricalAngle;
}

QString reviewVerdictText(const QString &verdict)
{
    if (verdict == QLatin1StringView("pass"))
        return QStringLiteral("i.O.");
    if (verdict == QLatin1StringView("fail"))
        return QStringLiteral("n.i.O.");
    if (verdict == QLatin1StringView("none"))
        return QStringLiteral("keine Grenzwerte");
    if (verdict == QLatin1StringView("error"))
        return QStringLiteral("Fehler");
    return {};
}
