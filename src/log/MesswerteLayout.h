#pragma once

#include "log/MeasurementLog.h"

#include <array>

// Where the log window's controls stand, in twips, as the window was laid out.
namespace MesswerteLayout {

// Caption, unit and place (twips) of each field; field 10 shares field 9's caption.
struct FieldLayout
{
    const char *caption;
    const char *unit;
    int left;
    int top;
    int width;
};

inline constexpr std::array<FieldLayout, MeasurementLog::FieldCount> Layout{{
    {"&Typ:", nullptr, 1440, 720, 5775},
    {"&Nummer:", nullptr, 1440, 1080, 5775},
    {"Polzahl:", nullptr, 2520, 1560, 975},
    {"Drehzahl:", "rpm", 2520, 1920, 975},
    {"Spannungskonstante:", "V/krpm", 2520, 2280, 975},
    {"Spannung:", "V   (Phase-Phase)", 2520, 2640, 975},
    {"elektrischer Winkel:", "°", 2520, 3000, 975},
    {"mechanischer Winkel:", "°", 2520, 3360, 975},
    {"Geberzähne:", nullptr, 2520, 3720, 975},
    {"Datum / Zeit:", nullptr, 2520, 4200, 1575},
    {nullptr, nullptr, 4320, 4200, 1575},
    {"&Visum:", nullptr, 2520, 4560, 3375},
}};

inline constexpr int FieldHeight = 375;
inline constexpr int LabelLeft = 240;
inline constexpr int LabelHeight = 255;
inline constexpr int UnitLeft = 3600;
inline constexpr int UnitWidth = 3000;

// Where cmdExit stands; the window is sized from it.
inline constexpr int ExitLeft = 6480;
inline constexpr int ButtonTop = 5160;
inline constexpr int PictureButtonWidth = 855;
inline constexpr int ButtonHeight = 735;

} // namespace MesswerteLayout
