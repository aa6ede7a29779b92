#include "units/clsPROFIBUSProfil3Units.h"
#include "value/Text.h"

#include <array>
#include <cmath>
#include <iterator>
#include <stdexcept>

namespace kv {

namespace {

constexpr std::int32_t kTableSize = pp3MaxUnitIdx - pp3MinConstUnitIdx + 1;

// Exact definitions the derived factors are built from, in SI units.
constexpr double kPi = 3.14159265358979323846;
constexpr double kInch = 0.0254;        // m
constexpr double kFoot = 0.3048;        // m
constexpr double kYard = 0.9144;        // m
constexpr double kMile = 1609.344;      // m, statute mile
constexpr double kNauticalMile = 1852;  // m ("Seemeile"; "knot" is one per hour)
constexpr double kCubicInch = kInch * kInch * kInch;
constexpr double kCubicFoot = kFoot * kFoot * kFoot;  // "SCF" is a standard cubic foot
constexpr double kCubicYard = kYard * kYard * kYard;
constexpr double kGallon = 231 * kCubicInch;             // m³, US liquid gallon = 3.785411784 L
constexpr double kImpGallon = 4.54609e-3;                // m³
constexpr double kBushel = 2150.42 * kCubicInch;         // m³, US bushel
constexpr double kBarrel = 42 * kGallon;                 // m³, petroleum barrel
constexpr double kLiquidBarrel = 31.5 * kGallon;         // m³, US liquid barrel
constexpr double kPound = 0.45359237;                    // kg, avoirdupois ("oz" is 1/16 of it)
constexpr double kShortTon = 2000 * kPound;              // kg
constexpr double kLongTon = 2240 * kPound;               // kg
constexpr double kGn = 9.80665;                          // m/s², standard gravity
constexpr double kPsi = kPound * kGn / (kInch * kInch);  // Pa, pound-force per square inch
constexpr double kAtmosphere = 101325;                   // Pa
constexpr double kTorr = kAtmosphere / 760;              // Pa
constexpr double kWater = 1000;                          // kg/m³, conventional water column
constexpr double kWater4C = 999.972;                     // kg/m³, water at 4 °C
constexpr double kWater68F = 998.2071;                   // kg/m³, water at 68 °F (20 °C)
constexpr double kMercury0C = 13595.1;  // kg/m³, mercury at 0 °C (also the conventional column)
constexpr double kCalorie = 4.1868;     // J, International Table calorie
constexpr double kKilocalorie = 1e3 * kCalorie;
constexpr double kMegacalorie = 1e6 * kCalorie;
constexpr double kBtu = 1055.05585262;               // J, International Table Btu
constexpr double kFootPound = kFoot * kPound * kGn;  // J, foot pound-force
constexpr double kHorsepower = 550 * kFootPound;     // W, mechanical horsepower
constexpr double kRoentgen = 2.58e-4;                // C/kg
constexpr double kElectronVolt = 1.602176634e-19;    // J ("e/V-m³" is per eV and m³)

// Whether a row's factor and offset are stated constants of the unit list (G) or derived here
// from the unit's definition (D).
enum class Origin : char { Given, Derived };
constexpr Origin G = Origin::Given;
constexpr Origin D = Origin::Derived;

struct UnitRow {
    std::int16_t code;
    UnitCalcClass unitClass;
    double faktor;
    double offset;
    std::string_view text;
    Origin origin;
};

// The predefined units in code order. The factor is the number of the unit per base unit of its
// class; in uccCalc that is the coherent SI unit of the unit's own quantity (Pa, J, W, kg/s,
// m³/s, kg/m³, ...), "ppm" for ratios and "B" for levels. Prefixed units raised to a power follow
// the SI reading: "km³" is a cubic kilometre; a prefix of a unit without a power multiplies the
// unit: "ML" is a megalitre (1000 m³), "Mgal" a million gallons. "ppt" is parts per trillion.
// Codes 1380, 1521 to 1550 and 1567 to 1994 are not defined; "bbl (liq) ", "inHg (0°C) " and
// "µm³/min " end in a space.
// clang-format off
constexpr UnitRow kUnits[] = {
    // code unitClass            faktor                          Offset    strUnit         origin
    {1000, uccTemp,              1,                              273.15,   "K",            G},
    {1001, uccTemp,              1,                              0,        "°C",           G},
    {1002, uccTemp,              1.8,                            32 / 1.8, "°F",           G},
    {1003, uccTemp,              1.8,                            273.15,   "°R",           G},
    {1004, uccAngle,             1,                              0,        "r",            G},
    {1005, uccAngle,             57.29578,                       0,        "°",            G},
    {1006, uccAngle,             3437.747,                       0,        "'",            G},
    {1007, uccAngle,             206264.8,                       0,        "''",           G},
    {1008, uccAngle,             63.66198,                       0,        "gon",          G},
    {1009, uccAngle,             1 / (2 * kPi),                  0,        "rev",          D},
    {1010, uccLen,               1,                              0,        "m",            G},
    {1011, uccLen,               1e-3,                           0,        "km",           D},
    {1012, uccLen,               1e2,                            0,        "cm",           D},
    {1013, uccLen,               1000,                           0,        "mm",           G},
    {1014, uccLen,               1e6,                            0,        "µm",           D},
    {1015, uccLen,               1e9,                            0,        "nm",           D},
    {1016, uccLen,               1e12,                           0,        "pm",           D},
    {1017, uccLen,               1e10,                           0,        "Å",            D},
    {1018, uccLen,               1 / kFoot,                      0,        "ft",           D},
    {1019, uccLen,               39.37008,                       0,        "in",           G},
    {1020, uccLen,               1 / kYard,                      0,        "yd",           D},
    {1021, uccLen,               1 / kMile,                      0,        "Mile",         D},
    {1022, uccLen,               1 / kNauticalMile,              0,        "Seemeile",     D},
    {1023, uccArea,              1,                              0,        "m²",           D},
    {1024, uccArea,              1e-6,                           0,        "km²",          D},
    {1025, uccArea,              1e4,                            0,        "cm²",          D},
    {1026, uccArea,              1e2,                            0,        "dm²",          D},
    {1027, uccArea,              1e6,                            0,        "mm²",          D},
    {1028, uccArea,              1e-2,                           0,        "a",            D},
    {1029, uccArea,              1e-4,                           0,        "ha",           D},
    {1030, uccArea,              1 / (kInch * kInch),            0,        "in²",          D},
    {1031, uccArea,              1 / (kFoot * kFoot),            0,        "ft²",          D},
    {1032, uccArea,              1 / (kYard * kYard),            0,        "yd²",          D},
    {1033, uccArea,              1 / (kMile * kMile),            0,        "mile²",        D},
    {1034, uccVolume,            1,                              0,        "m³",           G},
    {1035, uccVolume,            1e3,                            0,        "dm³",          D},
    {1036, uccVolume,            1e6,                            0,        "cm³",          D},
    {1037, uccVolume,            1e9,                            0,        "mm³",          D},
    {1038, uccVolume,            1000,                           0,        "L",            G},
    {1039, uccVolume,            1e5,                            0,        "cl",           D},
    {1040, uccVolume,            1e6,                            0,        "ml",           D},
    {1041, uccVolume,            10,                             0,        "hl",           D},
    {1042, uccVolume,            1 / kCubicInch,                 0,        "in³",          D},
    {1043, uccVolume,            1 / kCubicFoot,                 0,        "ft³",          D},
    {1044, uccVolume,            1 / kCubicYard,                 0,        "yd³",          D},
    {1045, uccVolume,            1 / (kMile * kMile * kMile),    0,        "mile³",        D},
    {1046, uccVolume,            8 / kGallon,                    0,        "pint",         D},
    {1047, uccVolume,            4 / kGallon,                    0,        "quart",        D},
    {1048, uccVolume,            1 / kGallon,                    0,        "gallon",       D},
    {1049, uccVolume,            1 / kImpGallon,                 0,        "ImpGal",       D},
    {1050, uccVolume,            1 / kBushel,                    0,        "bushel",       D},
    {1051, uccVolume,            1 / kBarrel,                    0,        "bbl",          D},
    {1052, uccVolume,            1 / kLiquidBarrel,              0,        "bbl (liq) ",   D},
    {1053, uccVolume,            1 / kCubicFoot,                 0,        "SCF",          D},
    {1054, uccTime,              1,                              0,        "s",            G},
    {1055, uccTime,              1e-3,                           0,        "ks",           D},
    {1056, uccTime,              1000,                           0,        "ms",           G},
    {1057, uccTime,              1e6,                            0,        "µs",           D},
    {1058, uccTime,              0.01666666,                     0,        "min",          G},
    {1059, uccTime,              0.0002777777,                   0,        "h",            G},
    {1060, uccTime,              0.00001157407,                  0,        "d",            G},
    {1061, uccVelocity,          1,                              0,        "m/s",          G},
    {1062, uccVelocity,          1000,                           0,        "mm/s",         G},
    {1063, uccVelocity,          3600,                           0,        "m/h",          D},
    {1064, uccVelocity,          3.6,                            0,        "km/h",         D},
    {1065, uccVelocity,          3600 / kNauticalMile,           0,        "knot",         D},
    {1066, uccVelocity,          1 / kInch,                      0,        "in/s",         D},
    {1067, uccVelocity,          1 / kFoot,                      0,        "ft/s",         D},
    {1068, uccVelocity,          1 / kYard,                      0,        "yd/s",         D},
    {1069, uccVelocity,          60 / kInch,                     0,        "in/min",       D},
    {1070, uccVelocity,          60 / kFoot,                     0,        "ft/min",       D},
    {1071, uccVelocity,          60 / kYard,                     0,        "yd/min",       D},
    {1072, uccVelocity,          3600 / kInch,                   0,        "in/h",         D},
    {1073, uccVelocity,          3600 / kFoot,                   0,        "ft/h",         D},
    {1074, uccVelocity,          3600 / kYard,                   0,        "yd/h",         D},
    {1075, uccVelocity,          3600 / kMile,                   0,        "MPH",          D},
    {1076, uccAcceleration,      1,                              0,        "m/s²",         D},
    {1077, uccFrequency,         1,                              0,        "Hz",           D},
    {1078, uccFrequency,         1e-12,                          0,        "THz",          D},
    {1079, uccFrequency,         1e-9,                           0,        "GHz",          D},
    {1080, uccFrequency,         1e-6,                           0,        "MHz",          D},
    {1081, uccFrequency,         1e-3,                           0,        "kHz",          D},
    {1082, uccFrequency,         1,                              0,        "1/s",          D},
    {1083, uccFrequency,         60,                             0,        "1/min",        D},
    {1084, uccAngleVelocity,     1,                              0,        "Rev/s",        D},
    {1085, uccAngleVelocity,     60,                             0,        "RPM",          D},
    {1086, uccAngleVelocity,     2 * kPi,                        0,        "r/s",          D},
    {1087, uccAngleAcceleration, 1,                              0,        "1/s²",         D},
    {1088, uccMass,              1,                              0,        "kg",           G},
    {1089, uccMass,              1e3,                            0,        "g",            D},
    {1090, uccMass,              1e6,                            0,        "mg",           D},
    {1091, uccMass,              1e-3,                           0,        "Mg",           D},
    {1092, uccMass,              1e-3,                           0,        "t",            D},
    {1093, uccMass,              16 / kPound,                    0,        "oz",           D},
    {1094, uccMass,              1 / kPound,                     0,        "lb",           D},
    {1095, uccMass,              1 / kShortTon,                  0,        "STon",         D},
    {1096, uccMass,              1 / kLongTon,                   0,        "LTon",         D},
    {1097, uccCalc,              1,                              0,        "kg/m³",        D},
    {1098, uccCalc,              1e-3,                           0,        "Mg/m³",        D},
    {1099, uccCalc,              1e-3,                           0,        "kg/dm³",       D},
    {1100, uccCalc,              1e-3,                           0,        "g/cm³",        D},
    {1101, uccCalc,              1e3,                            0,        "g/m³",         D},
    {1102, uccCalc,              1e-3,                           0,        "t/m³",         D},
    {1103, uccCalc,              1e-3,                           0,        "kg/L",         D},
    {1104, uccCalc,              1e-3,                           0,        "g/ml",         D},
    {1105, uccCalc,              1,                              0,        "g/L",          D},
    {1106, uccCalc,              kCubicInch / kPound,            0,        "lb/in³",       D},
    {1107, uccCalc,              kCubicFoot / kPound,            0,        "lb/ft³",       D},
    {1108, uccCalc,              kGallon / kPound,               0,        "lb/gal",       D},
    {1109, uccCalc,              kCubicYard / kShortTon,         0,        "STon/yd³",     D},
    {1110, uccCalc,              0,                              0,        "degTwad",      G},
    {1111, uccCalc,              0,                              0,        "degBaum hv",   G},
    {1112, uccCalc,              0,                              0,        "degBaum lt",   G},
    {1113, uccCalc,              0,                              0,        "degAPI",       G},
    {1114, uccCalc,              0,                              0,        "SGU",          G},
    {1115, uccCalc,              1,                              0,        "kg/m",         D},
    {1116, uccCalc,              1e6,                            0,        "mg/m",         D},
    {1117, uccCalc,              1e6,                            0,        "tex",          D},
    {1118, uccCalc,              1,                              0,        "kg/m²",        D},
    {1119, uccCalc,              1,                              0,        "kg m/s",       D},
    {1120, uccCalc,              1,                              0,        "N",            D},
    {1121, uccCalc,              1e-6,                           0,        "MN",           D},
    {1122, uccCalc,              1e-3,                           0,        "kN",           D},
    {1123, uccCalc,              1e3,                            0,        "mN",           D},
    {1124, uccCalc,              1e6,                            0,        "µN",           D},
    {1125, uccCalc,              1,                              0,        "kg-m²/s",      D},
    {1126, uccCalc,              1,                              0,        "Nm",           D},
    {1127, uccCalc,              1e-6,                           0,        "MNm",          D},
    {1128, uccCalc,              1e-3,                           0,        "kNm",          D},
    {1129, uccCalc,              1e3,                            0,        "mNm",          D},
    {1130, uccCalc,              1,                              0,        "Pa",           G},
    {1131, uccCalc,              1e-9,                           0,        "GPa",          D},
    {1132, uccCalc,              1e-6,                           0,        "MPa",          D},
    {1133, uccCalc,              1e-3,                           0,        "kPa",          D},
    {1134, uccCalc,              1e3,                            0,        "mPa",          D},
    {1135, uccCalc,              1e6,                            0,        "µPa",          D},
    {1136, uccCalc,              1e-2,                           0,        "hPa",          D},
    {1137, uccCalc,              0.00001,                        0,        "bar",          G},
    {1138, uccCalc,              0.01,                           0,        "mbar",         G},
    {1139, uccCalc,              1 / kTorr,                      0,        "torr",         D},
    {1140, uccCalc,              1 / kAtmosphere,                0,        "atm",          D},
    {1141, uccCalc,              1 / kPsi,                       0,        "psi",          D},
    {1142, uccCalc,              0.0001450377,                   0,        "psia",         G},
    {1143, uccCalc,              0.0001450377,                   -101325,  "psig",         G},
    {1144, uccCalc,              1 / (1e-3 * kGn / 1e-4),        0,        "g/cm²",        D},
    {1145, uccCalc,              1 / (kGn / 1e-4),               0,        "kg/cm²",       D},
    {1146, uccCalc,              1 / (kInch * kWater * kGn),     0,        "inH2O",        D},
    {1147, uccCalc,              1 / (kInch * kWater4C * kGn),   0,        "inH2O (4°C)",  D},
    {1148, uccCalc,              1 / (kInch * kWater68F * kGn),  0,        "inH2O (68°F)", D},
    {1149, uccCalc,              1 / (1e-3 * kWater * kGn),      0,        "mmH2O",        D},
    {1150, uccCalc,              1 / (1e-3 * kWater4C * kGn),    0,        "mmH2O (4°C)",  D},
    {1151, uccCalc,              1 / (1e-3 * kWater68F * kGn),   0,        "mmH2O (68°F)", D},
    {1152, uccCalc,              1 / (kFoot * kWater * kGn),     0,        "ftH2O",        D},
    {1153, uccCalc,              1 / (kFoot * kWater4C * kGn),   0,        "ftH2O (4°C)",  D},
    {1154, uccCalc,              1 / (kFoot * kWater68F * kGn),  0,        "ftH2O (68°F)", D},
    {1155, uccCalc,              1 / (kInch * kMercury0C * kGn), 0,        "inHg",         D},
    {1156, uccCalc,              1 / (kInch * kMercury0C * kGn), 0,        "inHg (0°C) ",  D},
    {1157, uccCalc,              1 / (1e-3 * kMercury0C * kGn),  0,        "mmHg",         D},
    {1158, uccCalc,              1 / (1e-3 * kMercury0C * kGn),  0,        "mmHg (0°C)",   D},
    {1159, uccCalc,              1,                              0,        "Pa-s",         D},
    {1160, uccCalc,              1,                              0,        "m²/s",         D},
    {1161, uccCalc,              10,                             0,        "P",            D},
    {1162, uccCalc,              1000,                           0,        "cP",           D},
    {1163, uccCalc,              1e4,                            0,        "St",           D},
    {1164, uccCalc,              1e6,                            0,        "cSt",          D},
    {1165, uccCalc,              1,                              0,        "N/m",          D},
    {1166, uccCalc,              1e3,                            0,        "mN/m",         D},
    {1167, uccCalc,              1,                              0,        "J",            D},
    {1168, uccCalc,              1e-18,                          0,        "EJ",           D},
    {1169, uccCalc,              1e-15,                          0,        "PJ",           D},
    {1170, uccCalc,              1e-12,                          0,        "TJ",           D},
    {1171, uccCalc,              1e-9,                           0,        "GJ",           D},
    {1172, uccCalc,              1e-6,                           0,        "MJ",           D},
    {1173, uccCalc,              1e-3,                           0,        "kJ",           D},
    {1174, uccCalc,              1000,                           0,        "mJ",           G},
    {1175, uccCalc,              1 / 3600.0,                     0,        "WH",           D},
    {1176, uccCalc,              1 / 3.6e15,                     0,        "TWH",          D},
    {1177, uccCalc,              1 / 3.6e12,                     0,        "GWH",          D},
    {1178, uccCalc,              1 / 3.6e9,                      0,        "MWH",          D},
    {1179, uccCalc,              1 / 3.6e6,                      0,        "KWH",          D},
    {1180, uccCalc,              1 / kCalorie,                   0,        "cal",          D},
    {1181, uccCalc,              1 / kKilocalorie,               0,        "kcal",         D},
    {1182, uccCalc,              1 / kMegacalorie,               0,        "Mcal",         D},
    {1183, uccCalc,              1 / kBtu,                       0,        "Btu",          D},
    {1184, uccCalc,              1 / (1e6 * kBtu),               0,        "decatherm",    D},
    {1185, uccCalc,              1 / kFootPound,                 0,        "ft-lb",        D},
    {1186, uccCalc,              1,                              0,        "W",            D},
    {1187, uccCalc,              1e-12,                          0,        "TW",           D},
    {1188, uccCalc,              1e-9,                           0,        "GW",           D},
    {1189, uccCalc,              1e-6,                           0,        "MW",           D},
    {1190, uccCalc,              1e-3,                           0,        "KW",           D},
    {1191, uccCalc,              1e3,                            0,        "mW",           D},
    {1192, uccCalc,              1e6,                            0,        "µW",           D},
    {1193, uccCalc,              1e9,                            0,        "nW",           D},
    {1194, uccCalc,              1e12,                           0,        "pW",           D},
    {1195, uccCalc,              3600 / kMegacalorie,            0,        "Mcal/h",       D},
    {1196, uccCalc,              3600 / 1e6,                     0,        "MJ/h",         D},
    {1197, uccCalc,              3600 / kBtu,                    0,        "Btu/h",        D},
    {1198, uccCalc,              1 / kHorsepower,                0,        "hp",           D},
    {1199, uccCalc,              1,                              0,        "W/(m-K)",      D},
    {1200, uccCalc,              1,                              0,        "W/(m²-K)",     D},
    {1201, uccCalc,              1,                              0,        "m²-K/W",       D},
    {1202, uccCalc,              1,                              0,        "J/K",          D},
    {1203, uccCalc,              1e-3,                           0,        "kJ/K",         D},
    {1204, uccCalc,              1,                              0,        "J/(kg-K)",     D},
    {1205, uccCalc,              1e-3,                           0,        "kJ/(kg-K)",    D},
    {1206, uccCalc,              1,                              0,        "J/kg",         D},
    {1207, uccCalc,              1e-6,                           0,        "MJ/kg",        D},
    {1208, uccCalc,              1e-3,                           0,        "kJ/kg",        D},
    {1209, uccCalc,              1,                              0,        "A",            D},
    {1210, uccCalc,              1e-3,                           0,        "kA",           D},
    {1211, uccCalc,              1e3,                            0,        "mA",           D},
    {1212, uccCalc,              1e6,                            0,        "µA",           D},
    {1213, uccCalc,              1e9,                            0,        "nA",           D},
    {1214, uccCalc,              1e12,                           0,        "pA",           D},
    {1215, uccCalc,              1,                              0,        "C",            D},
    {1216, uccCalc,              1e-6,                           0,        "MC",           D},
    {1217, uccCalc,              1e-3,                           0,        "kC",           D},
    {1218, uccCalc,              1e6,                            0,        "µC",           D},
    {1219, uccCalc,              1e9,                            0,        "nC",           D},
    {1220, uccCalc,              1e12,                           0,        "pC",           D},
    {1221, uccCalc,              1 / 3600.0,                     0,        "Ah",           D},
    {1222, uccCalc,              1,                              0,        "C/m³",         D},
    {1223, uccCalc,              1e-9,                           0,        "C/mm³",        D},
    {1224, uccCalc,              1e-6,                           0,        "C/cm³",        D},
    {1225, uccCalc,              1e-3,                           0,        "kC/m³",        D},
    {1226, uccCalc,              1e3,                            0,        "mC/m³",        D},
    {1227, uccCalc,              1e6,                            0,        "µC/m³",        D},
    {1228, uccCalc,              1,                              0,        "C/m²",         D},
    {1229, uccCalc,              1e-6,                           0,        "C/mm²",        D},
    {1230, uccCalc,              1e-4,                           0,        "C/cm²",        D},
    {1231, uccCalc,              1e-3,                           0,        "kC/m²",        D},
    {1232, uccCalc,              1e3,                            0,        "mC/m²",        D},
    {1233, uccCalc,              1e6,                            0,        "µC/m²",        D},
    {1234, uccCalc,              1,                              0,        "V/m",          D},
    {1235, uccCalc,              1e-6,                           0,        "MV/m",         D},
    {1236, uccCalc,              1e-3,                           0,        "KV/m",         D},
    {1237, uccCalc,              1e-2,                           0,        "V/cm",         D},
    {1238, uccCalc,              1e3,                            0,        "mV/m",         D},
    {1239, uccCalc,              1e6,                            0,        "µV/m",         D},
    {1240, uccCalc,              1,                              0,        "V",            D},
    {1241, uccCalc,              1e-6,                           0,        "MV",           D},
    {1242, uccCalc,              1e-3,                           0,        "KV",           D},
    {1243, uccCalc,              1e3,                            0,        "mV",           D},
    {1244, uccCalc,              1e6,                            0,        "µV",           D},
    {1245, uccCalc,              1,                              0,        "F",            D},
    {1246, uccCalc,              1e3,                            0,        "mF",           D},
    {1247, uccCalc,              1e6,                            0,        "µF",           D},
    {1248, uccCalc,              1e9,                            0,        "nF",           D},
    {1249, uccCalc,              1e12,                           0,        "pF",           D},
    {1250, uccCalc,              1,                              0,        "F/m",          D},
    {1251, uccCalc,              1e6,                            0,        "µF/m",         D},
    {1252, uccCalc,              1e9,                            0,        "nF/m",         D},
    {1253, uccCalc,              1e12,                           0,        "pF/m",         D},
    {1254, uccCalc,              1,                              0,        "C-m",          D},
    {1255, uccCalc,              1,                              0,        "A/m²",         D},
    {1256, uccCalc,              1e-6,                           0,        "MA/m²",        D},
    {1257, uccCalc,              1e-4,                           0,        "A/cm²",        D},
    {1258, uccCalc,              1e-3,                           0,        "kA/m²",        D},
    {1259, uccCalc,              1,                              0,        "A/m",          D},
    {1260, uccCalc,              1e-3,                           0,        "KA/m",         D},
    {1261, uccCalc,              1e-2,                           0,        "A/cm",         D},
    {1262, uccCalc,              1,                              0,        "T",            D},
    {1263, uccCalc,              1e3,                            0,        "mT",           D},
    {1264, uccCalc,              1e6,                            0,        "µT",           D},
    {1265, uccCalc,              1e9,                            0,        "nT",           D},
    {1266, uccCalc,              1,                              0,        "Wb",           D},
    {1267, uccCalc,              1e3,                            0,        "mWb",          D},
    {1268, uccCalc,              1,                              0,        "Wb/m",         D},
    {1269, uccCalc,              1e-3,                           0,        "KWb/m",        D},
    {1270, uccCalc,              1,                              0,        "H",            D},
    {1271, uccCalc,              1e3,                            0,        "mH",           D},
    {1272, uccCalc,              1e6,                            0,        "µH",           D},
    {1273, uccCalc,              1e9,                            0,        "nH",           D},
    {1274, uccCalc,              1e12,                           0,        "pH",           D},
    {1275, uccCalc,              1,                              0,        "H/m",          D},
    {1276, uccCalc,              1e6,                            0,        "µH/m",         D},
    {1277, uccCalc,              1e9,                            0,        "nH/m",         D},
    {1278, uccCalc,              1,                              0,        "Am²",          D},
    {1279, uccCalc,              1,                              0,        "Nm²/A",        D},
    {1280, uccCalc,              1,                              0,        "Wb-m",         D},
    {1281, uccCalc,              1,                              0,        "Ohm",          D},
    {1282, uccCalc,              1e-9,                           0,        "GOhm",         D},
    {1283, uccCalc,              1e-6,                           0,        "MOhm",         D},
    {1284, uccCalc,              1e-3,                           0,        "kOhm",         D},
    {1285, uccCalc,              1e3,                            0,        "mOhm",         D},
    {1286, uccCalc,              1e6,                            0,        "µOhm",         D},
    {1287, uccCalc,              1,                              0,        "S",            D},
    {1288, uccCalc,              1e-3,                           0,        "kS",           D},
    {1289, uccCalc,              1e3,                            0,        "mS",           D},
    {1290, uccCalc,              1e6,                            0,        "µS",           D},
    {1291, uccCalc,              1,                              0,        "Ohm-m",        D},
    {1292, uccCalc,              1e-9,                           0,        "GOhm-m",       D},
    {1293, uccCalc,              1e-6,                           0,        "MOhm-m",       D},
    {1294, uccCalc,              1e-3,                           0,        "kOhm-m",       D},
    {1295, uccCalc,              1e2,                            0,        "Ohm-cm",       D},
    {1296, uccCalc,              1e3,                            0,        "mOhm-m",       D},
    {1297, uccCalc,              1e6,                            0,        "µOhm m",       D},
    {1298, uccCalc,              1e9,                            0,        "nOhm m",       D},
    {1299, uccCalc,              1,                              0,        "S/m",          D},
    {1300, uccCalc,              1e-6,                           0,        "MS/m",         D},
    {1301, uccCalc,              1e-3,                           0,        "kS/m",         D},
    {1302, uccCalc,              10,                             0,        "mS/cm",        D},
    {1303, uccCalc,              1,                              0,        "mS/mm",        D},
    {1304, uccCalc,              1,                              0,        "1/H",          D},
    {1305, uccCalc,              1,                              0,        "sr",           D},
    {1306, uccCalc,              1,                              0,        "W/sr",         D},
    {1307, uccCalc,              1,                              0,        "W/(sr-m²)",    D},
    {1308, uccCalc,              1,                              0,        "W/(m²)",       D},
    {1309, uccCalc,              1,                              0,        "lm",           D},
    {1310, uccCalc,              1,                              0,        "lm-s",         D},
    {1311, uccCalc,              1 / 3600.0,                     0,        "lm-h",         D},
    {1312, uccCalc,              1,                              0,        "lm/m²",        D},
    {1313, uccCalc,              1,                              0,        "lm/W",         D},
    {1314, uccCalc,              1,                              0,        "lx",           D},
    {1315, uccCalc,              1,                              0,        "lx-s",         D},
    {1316, uccCalc,              1,                              0,        "cd",           D},
    {1317, uccCalc,              1,                              0,        "cd/m²",        D},
    {1318, uccCalc,              1e3,                            0,        "g/s",          D},
    {1319, uccCalc,              60 * 1e3,                       0,        "g/min",        D},
    {1320, uccCalc,              3600 * 1e3,                     0,        "g/h",          D},
    {1321, uccCalc,              86400 * 1e3,                    0,        "g/d",          D},
    {1322, uccCalc,              1,                              0,        "kg/s",         D},
    {1323, uccCalc,              60,                             0,        "kg/min",       D},
    {1324, uccCalc,              3600,                           0,        "kg/h",         D},
    {1325, uccCalc,              86400,                          0,        "kg/d",         D},
    {1326, uccCalc,              1e-3,                           0,        "t/s",          D},
    {1327, uccCalc,              60 * 1e-3,                      0,        "t/min",        D},
    {1328, uccCalc,              3600 * 1e-3,                    0,        "t/h",          D},
    {1329, uccCalc,              86400 * 1e-3,                   0,        "t/d",          D},
    {1330, uccCalc,              1 / kPound,                     0,        "lb/s",         D},
    {1331, uccCalc,              60 / kPound,                    0,        "lb/min",       D},
    {1332, uccCalc,              3600 / kPound,                  0,        "lb/h",         D},
    {1333, uccCalc,              86400 / kPound,                 0,        "lb/d",         D},
    {1334, uccCalc,              1 / kShortTon,                  0,        "STon/s",       D},
    {1335, uccCalc,              60 / kShortTon,                 0,        "STon/min",     D},
    {1336, uccCalc,              3600 / kShortTon,               0,        "STon/h",       D},
    {1337, uccCalc,              86400 / kShortTon,              0,        "STon/d",       D},
    {1338, uccCalc,              1 / kLongTon,                   0,        "LTon/s",       D},
    {1339, uccCalc,              60 / kLongTon,                  0,        "LTon/min",     D},
    {1340, uccCalc,              3600 / kLongTon,                0,        "LTon/h",       D},
    {1341, uccCalc,              86400 / kLongTon,               0,        "LTon/d",       D},
    {1342, uccCalc,              0,                              0,        "%",            G},
    {1343, uccCalc,              0,                              0,        "% sol/wt",     G},
    {1344, uccCalc,              0,                              0,        "% sol/vol",    G},
    {1345, uccCalc,              0,                              0,        "% stm qual",   G},
    {1346, uccCalc,              0,                              0,        "% plato",      G},
    {1347, uccCalc,              1,                              0,        "m³/s",         D},
    {1348, uccCalc,              60,                             0,        "m³/min",       D},
    {1349, uccCalc,              3600,                           0,        "m³/h",         G},
    {1350, uccCalc,              86400,                          0,        "m³/d",         D},
    {1351, uccCalc,              1e3,                            0,        "L/s",          D},
    {1352, uccCalc,              60 * 1e3,                       0,        "L/min",        D},
    {1353, uccCalc,              3600 * 1e3,                     0,        "L/h",          D},
    {1354, uccCalc,              86400 * 1e3,                    0,        "L/d",          D},
    {1355, uccCalc,              86400 * 1e-3,                   0,        "ML/d",         D},
    {1356, uccCalc,              1 / kCubicFoot,                 0,        "CFS",          D},
    {1357, uccCalc,              60 / kCubicFoot,                0,        "CFM",          D},
    {1358, uccCalc,              3600 / kCubicFoot,              0,        "CFH",          D},
    {1359, uccCalc,              86400 / kCubicFoot,             0,        "ft³/d",        D},
    {1360, uccCalc,              60 / kCubicFoot,                0,        "SCFM",         D},
    {1361, uccCalc,              3600 / kCubicFoot,              0,        "SCFH",         D},
    {1362, uccCalc,              1 / kGallon,                    0,        "gal/s",        D},
    {1363, uccCalc,              60 / kGallon,                   0,        "GPM",          D},
    {1364, uccCalc,              3600 / kGallon,                 0,        "gal/h",        D},
    {1365, uccCalc,              86400 / kGallon,                0,        "gal/d",        D},
    {1366, uccCalc,              86400 / (1e6 * kGallon),        0,        "Mgal/d",       D},
    {1367, uccCalc,              1 / kImpGallon,                 0,        "ImpGal/s",     D},
    {1368, uccCalc,              60 / kImpGallon,                0,        "ImpGal/min",   D},
    {1369, uccCalc,              3600 / kImpGallon,              0,        "ImpGal/h",     D},
    {1370, uccCalc,              86400 / kImpGallon,             0,        "ImpGal/d",     D},
    {1371, uccCalc,              1 / kBarrel,                    0,        "bbl/s",        D},
    {1372, uccCalc,              60 / kBarrel,                   0,        "bbl/min",      D},
    {1373, uccCalc,              3600 / kBarrel,                 0,        "bbl/h",        D},
    {1374, uccCalc,              86400 / kBarrel,                0,        "bbl/d",        D},
    {1375, uccCalc,              1,                              0,        "W/m²",         D},
    {1376, uccCalc,              1e3,                            0,        "mW/m²",        D},
    {1377, uccCalc,              1e6,                            0,        "µW/m²",        D},
    {1378, uccCalc,              1e12,                           0,        "pW/m²",        D},
    {1379, uccCalc,              1,                              0,        "Pa-s/m³",      D},
    {1381, uccCalc,              1,                              0,        "Pa-s/m",       D},
    {1382, uccCalc,              1,                              0,        "B",            D},
    {1383, uccCalc,              10,                             0,        "dB",           D},
    {1384, uccCalc,              1,                              0,        "mol",          D},
    {1385, uccCalc,              1e-3,                           0,        "kmol",         D},
    {1386, uccCalc,              1e3,                            0,        "mmol",         D},
    {1387, uccCalc,              1e6,                            0,        "µmol",         D},
    {1388, uccCalc,              1,                              0,        "kg/mol",       D},
    {1389, uccCalc,              1e3,                            0,        "g/mol",        D},
    {1390, uccCalc,              1,                              0,        "m³/mol",       D},
    {1391, uccCalc,              1e3,                            0,        "dm³/mol",      D},
    {1392, uccCalc,              1e6,                            0,        "cm³/mol",      D},
    {1393, uccCalc,              1e3,                            0,        "L/mol",        D},
    {1394, uccCalc,              1,                              0,        "J/mol",        D},
    {1395, uccCalc,              1e-3,                           0,        "kJ/mol",       D},
    {1396, uccCalc,              1,                              0,        "J/(mol-K)",    D},
    {1397, uccCalc,              1,                              0,        "mol/m³",       D},
    {1398, uccCalc,              1e-3,                           0,        "mol/dm³",      D},
    {1399, uccCalc,              1e-3,                           0,        "mol/L",        D},
    {1400, uccCalc,              1,                              0,        "mol/kg",       D},
    {1401, uccCalc,              1e3,                            0,        "mmol/kg",      D},
    {1402, uccCalc,              1,                              0,        "Bq",           D},
    {1403, uccCalc,              1e-6,                           0,        "MBq",          D},
    {1404, uccCalc,              1e-3,                           0,        "kBq",          D},
    {1405, uccCalc,              1,                              0,        "Bq/kg",        D},
    {1406, uccCalc,              1e-3,                           0,        "kBq/kg",       D},
    {1407, uccCalc,              1e-6,                           0,        "MBq/kg",       D},
    {1408, uccCalc,              1,                              0,        "Gy",           D},
    {1409, uccCalc,              1e3,                            0,        "mGy",          D},
    {1410, uccCalc,              100,                            0,        "rad",          D},
    {1411, uccCalc,              1,                              0,        "Sv",           D},
    {1412, uccCalc,              1e3,                            0,        "mSv",          D},
    {1413, uccCalc,              100,                            0,        "rem",          D},
    {1414, uccCalc,              1,                              0,        "C/kg",         D},
    {1415, uccCalc,              1e3,                            0,        "mC/kg",        D},
    {1416, uccCalc,              1 / kRoentgen,                  0,        "R",            D},
    {1417, uccCalc,              1,                              0,        "1/J-m³",       D},
    {1418, uccCalc,              kElectronVolt,                  0,        "e/V-m³",       D},
    {1419, uccCalc,              1,                              0,        "m³/C",         D},
    {1420, uccCalc,              1,                              0,        "V/K",          D},
    {1421, uccCalc,              1e3,                            0,        "mV/K",         D},
    {1422, uccCalc,              0,                              0,        "pH",           G},
    {1423, uccCalc,              1,                              0,        "ppm",          G},
    {1424, uccCalc,              1e3,                            0,        "ppb",          D},
    {1425, uccCalc,              1e6,                            0,        "ppt",          D},
    {1426, uccCalc,              0,                              0,        "degBrix",      G},
    {1427, uccCalc,              0,                              0,        "degBall",      G},
    {1428, uccCalc,              0,                              0,        "proof/vol",    G},
    {1429, uccCalc,              0,                              0,        "proof/mass",   G},
    {1430, uccCalc,              kImpGallon / kPound,            0,        "lb/ImpGal",    D},
    {1431, uccCalc,              1 / kKilocalorie,               0,        "kcal/s",       D},
    {1432, uccCalc,              60 / kKilocalorie,              0,        "kcal/min",     D},
    {1433, uccCalc,              3600 / kKilocalorie,            0,        "kcal/h",       D},
    {1434, uccCalc,              86400 / kKilocalorie,           0,        "kcal/d",       D},
    {1435, uccCalc,              1 / kMegacalorie,               0,        "Mcal/s",       D},
    {1436, uccCalc,              60 / kMegacalorie,              0,        "Mcal/min",     D},
    {1437, uccCalc,              86400 / kMegacalorie,           0,        "Mcal/d",       D},
    {1438, uccCalc,              1e-3,                           0,        "kJ/s",         D},
    {1439, uccCalc,              60 * 1e-3,                      0,        "kJ/min",       D},
    {1440, uccCalc,              3600 * 1e-3,                    0,        "kJ/h",         D},
    {1441, uccCalc,              86400 * 1e-3,                   0,        "kJ/d",         D},
    {1442, uccCalc,              1e-6,                           0,        "MJ/s",         D},
    {1443, uccCalc,              60 * 1e-6,                      0,        "MJ/min",       D},
    {1444, uccCalc,              86400 * 1e-6,                   0,        "MJ/d",         D},
    {1445, uccCalc,              1 / kBtu,                       0,        "Btu/s",        D},
    {1446, uccCalc,              60 / kBtu,                      0,        "Btu/min",      D},
    {1447, uccCalc,              86400 / kBtu,                   0,        "Btu/day",      D},
    {1448, uccCalc,              1e6 / kGallon,                  0,        "µgal/s",       D},
    {1449, uccCalc,              1e3 / kGallon,                  0,        "mgal/s",       D},
    {1450, uccCalc,              1e-3 / kGallon,                 0,        "kgal/s",       D},
    {1451, uccCalc,              1e-6 / kGallon,                 0,        "Mgal/s",       D},
    {1452, uccCalc,              60 * 1e6 / kGallon,             0,        "µgal/min",     D},
    {1453, uccCalc,              60 * 1e3 / kGallon,             0,        "mgal/min",     D},
    {1454, uccCalc,              60 * 1e-3 / kGallon,            0,        "kgal/min",     D},
    {1455, uccCalc,              60 * 1e-6 / kGallon,            0,        "Mgal/min",     D},
    {1456, uccCalc,              3600 * 1e6 / kGallon,           0,        "µgal/h",       D},
    {1457, uccCalc,              3600 * 1e3 / kGallon,           0,        "mgal/h",       D},
    {1458, uccCalc,              3600 * 1e-3 / kGallon,          0,        "kgal/h",       D},
    {1459, uccCalc,              3600 * 1e-6 / kGallon,          0,        "Mgal/h",       D},
    {1460, uccCalc,              86400 * 1e6 / kGallon,          0,        "µgal/d",       D},
    {1461, uccCalc,              86400 * 1e3 / kGallon,          0,        "mgal/d",       D},
    {1462, uccCalc,              86400 * 1e-3 / kGallon,         0,        "kgal/d",       D},
    {1463, uccCalc,              1e6 / kImpGallon,               0,        "µImpGal/s",    D},
    {1464, uccCalc,              1e3 / kImpGallon,               0,        "mImpGal/s",    D},
    {1465, uccCalc,              1e-3 / kImpGallon,              0,        "kImpGal/s",    D},
    {1466, uccCalc,              1e-6 / kImpGallon,              0,        "MImpGal/s",    D},
    {1467, uccCalc,              60 * 1e6 / kImpGallon,          0,        "µImpGal/min",  D},
    {1468, uccCalc,              60 * 1e3 / kImpGallon,          0,        "mImpGal/min",  D},
    {1469, uccCalc,              60 * 1e-3 / kImpGallon,         0,        "kImpGal/min",  D},
    {1470, uccCalc,              60 * 1e-6 / kImpGallon,         0,        "MImpGal/min",  D},
    {1471, uccCalc,              3600 * 1e6 / kImpGallon,        0,        "µImpGal/h",    D},
    {1472, uccCalc,              3600 * 1e3 / kImpGallon,        0,        "mImpGal/h",    D},
    {1473, uccCalc,              3600 * 1e-3 / kImpGallon,       0,        "kImpGal/h",    D},
    {1474, uccCalc,              3600 * 1e-6 / kImpGallon,       0,        "MImpGal/h",    D},
    {1475, uccCalc,              86400 * 1e6 / kImpGallon,       0,        "µImpGal/d",    D},
    {1476, uccCalc,              86400 * 1e3 / kImpGallon,       0,        "mImpGal/d",    D},
    {1477, uccCalc,              86400 * 1e-3 / kImpGallon,      0,        "kImpGal/d",    D},
    {1478, uccCalc,              86400 * 1e-6 / kImpGallon,      0,        "MImpGal/d",    D},
    {1479, uccCalc,              1e6 / kBarrel,                  0,        "µbbl/s",       D},
    {1480, uccCalc,              1e3 / kBarrel,                  0,        "mbbl/s",       D},
    {1481, uccCalc,              1e-3 / kBarrel,                 0,        "kbbl/s",       D},
    {1482, uccCalc,              1e-6 / kBarrel,                 0,        "Mbbl/s",       D},
    {1483, uccCalc,              60 * 1e6 / kBarrel,             0,        "µbbl/min",     D},
    {1484, uccCalc,              60 * 1e3 / kBarrel,             0,        "mbbl/min",     D},
    {1485, uccCalc,              60 * 1e-3 / kBarrel,            0,        "kbbl/min",     D},
    {1486, uccCalc,              60 * 1e-6 / kBarrel,            0,        "Mbbl/min",     D},
    {1487, uccCalc,              3600 * 1e6 / kBarrel,           0,        "µbbl/h",       D},
    {1488, uccCalc,              3600 * 1e3 / kBarrel,           0,        "mbbl/h",       D},
    {1489, uccCalc,              3600 * 1e-3 / kBarrel,          0,        "kbbl/h",       D},
    {1490, uccCalc,              3600 * 1e-6 / kBarrel,          0,        "Mbbl/h",       D},
    {1491, uccCalc,              86400 * 1e6 / kBarrel,          0,        "µbbl/d",       D},
    {1492, uccCalc,              86400 * 1e3 / kBarrel,          0,        "mbbl/d",       D},
    {1493, uccCalc,              86400 * 1e-3 / kBarrel,         0,        "kbbl/d",       D},
    {1494, uccCalc,              86400 * 1e-6 / kBarrel,         0,        "Mbbl/d",       D},
    {1495, uccCalc,              1e18,                           0,        "µm³/s",        D},
    {1496, uccCalc,              1e9,                            0,        "mm³/s",        D},
    {1497, uccCalc,              1e-9,                           0,        "km³/s",        D},
    {1498, uccCalc,              1e-18,                          0,        "Mm³/s",        D},
    {1499, uccCalc,              60 * 1e18,                      0,        "µm³/min ",     D},
    {1500, uccCalc,              60 * 1e9,                       0,        "mm³/min",      D},
    {1501, uccCalc,              60 * 1e-9,                      0,        "km³/min",      D},
    {1502, uccCalc,              60 * 1e-18,                     0,        "Mm³/min",      D},
    {1503, uccCalc,              3600 * 1e18,                    0,        "µm³/h",        D},
    {1504, uccCalc,              3600 * 1e9,                     0,        "mm³/h",        D},
    {1505, uccCalc,              3600 * 1e-9,                    0,        "km³/h",        D},
    {1506, uccCalc,              3600 * 1e-18,                   0,        "Mm³/h",        D},
    {1507, uccCalc,              86400 * 1e18,                   0,        "µm³/d",        D},
    {1508, uccCalc,              86400 * 1e9,                    0,        "mm³/d",        D},
    {1509, uccCalc,              86400 * 1e-9,                   0,        "km³/d",        D},
    {1510, uccCalc,              86400 * 1e-18,                  0,        "Mm³/d",        D},
    {1511, uccCalc,              1e6,                            0,        "cm³/s",        D},
    {1512, uccCalc,              60 * 1e6,                       0,        "cm³/min",      D},
    {1513, uccCalc,              3600 * 1e6,                     0,        "cm³/h",        D},
    {1514, uccCalc,              86400 * 1e6,                    0,        "cm³/d",        D},
    {1515, uccCalc,              1 / kKilocalorie,               0,        "kcal/kg",      D},
    {1516, uccCalc,              kPound / kBtu,                  0,        "Btu/lb",       D},
    {1517, uccCalc,              1,                              0,        "kL",           D},
    {1518, uccCalc,              60,                             0,        "kL/min",       D},
    {1519, uccCalc,              3600,                           0,        "kL/h",         D},
    {1520, uccCalc,              86400,                          0,        "kL/d",         D},
    {1551, uccCalc,              1e-2,                           0,        "S/cm",         D},
    {1552, uccCalc,              1e4,                            0,        "µS/cm",        D},
    {1553, uccCalc,              1e3,                            0,        "mS/m",         D},
    {1554, uccCalc,              1e6,                            0,        "µS/m",         D},
    {1555, uccCalc,              1e-4,                           0,        "MOHM*cm",      D},
    {1556, uccCalc,              1e-1,                           0,        "kOHM*cm",      D},
    {1557, uccCalc,              0,                              0,        "Gew%",         G},
    {1558, uccCalc,              1e3,                            0,        "mg/l",         D},
    {1559, uccCalc,              1e6,                            0,        "µg/l",         D},
    {1560, uccCalc,              0,                              0,        "%Sät",         G},
    {1561, uccCalc,              0,                              0,        "vpm",          G},
    {1562, uccCalc,              0,                              0,        "%vol",         G},
    {1563, uccCalc,              60 * 1e6,                       0,        "ml/min",       D},
    {1564, uccCalc,              1e3,                            0,        "mg/dm3",       D},
    {1565, uccCalc,              1e3,                            0,        "mg/l",         D},
    {1566, uccCalc,              1e6,                            0,        "mg/m³",        D},
    {1995, uccCalc,              1,                              0,        "",             G},
    {1996, uccCalc,              1,                              0,        "Not used",     G},
    {1997, uccCalc,              1,                              0,        "None",         G},
    {1998, uccCalc,              1,                              0,        "Unknown",      G},
    {1999, uccCalc,              1,                              0,        "Special",      G},
};
// clang-format on

static_assert(std::size(kUnits) == 541);

// Table row of each position from 900 to 2000, -1 where no unit is predefined.
constexpr std::array<std::int16_t, kTableSize> kRowOf = [] {
    std::array<std::int16_t, kTableSize> rowOf{};
    rowOf.fill(-1);
    for (std::size_t i = 0; i < std::size(kUnits); ++i) {
        rowOf[kUnits[i].code - pp3MinConstUnitIdx] = static_cast<std::int16_t>(i);
    }
    return rowOf;
}();

constexpr bool CodesAscending() {
    for (std::size_t i = 1; i < std::size(kUnits); ++i) {
        if (kUnits[i - 1].code >= kUnits[i].code) {
            return false;
        }
    }
    return kUnits[0].code >= pp3MinUnitIdx && kUnits[std::size(kUnits) - 1].code < pp3MaxUnitIdx;
}
static_assert(CodesAscending());

bool InTable(std::int32_t idx) {
    return idx >= pp3MinConstUnitIdx && idx <= pp3MaxUnitIdx;
}

std::size_t PositionOf(std::int32_t idx) {
    return static_cast<std::size_t>(idx - pp3MinConstUnitIdx);
}

// The predefined row of a code within the table, or nullptr.
const UnitRow* DefaultRow(std::int32_t idx) {
    const std::int16_t row = kRowOf[PositionOf(idx)];
    return row < 0 ? nullptr : &kUnits[row];
}

std::string_view DefaultText(std::int32_t idx) {
    const UnitRow* row = DefaultRow(idx);
    return row != nullptr ? row->text : std::string_view{};
}

// Predefined units carry the key "unit_<code>_help", except the special codes from 1995 on.
std::string DefaultHelpKey(std::int32_t idx) {
    if (DefaultRow(idx) == nullptr || idx >= 1995) {
        return {};
    }
    return "unit_" + std::to_string(idx) + "_help";
}

// What the floating-point unit flags on one arithmetic operation on a and b: overflow (finite
// operands, infinite result) or an invalid operation (NaN from numbers).
enum class ArithmeticFault { None, Overflow, Invalid };

ArithmeticFault FaultOf(double result, double a, double b) {
    if (std::isinf(result) && std::isfinite(a) && std::isfinite(b)) {
        return ArithmeticFault::Overflow;
    }
    if (std::isnan(result) && !std::isnan(a) && !std::isnan(b)) {
        return ArithmeticFault::Invalid;
    }
    return ArithmeticFault::None;
}

// The two error policies of the conversion: the throwing form raises a fault, the try form
// notes it and answers with no value.
struct RaiseFault {
    [[noreturn]] void operator()(ArithmeticFault fault) const {
        if (fault == ArithmeticFault::Overflow) {
            throw std::overflow_error("Overflow");
        }
        throw std::runtime_error("Invalid floating-point operation");
    }
    static constexpr bool failed() { return false; }
};

struct NoteFault {
    void operator()(ArithmeticFault) { failed_ = true; }
    bool failed() const { return failed_; }
    bool failed_ = false;
};

}  // namespace

std::optional<std::string_view> clsPROFIBUSProfil3Units::TextOverrides::Find(
    std::size_t pos) const {
    if (slots_.empty() || slots_[pos].length == kUnset) {
        return std::nullopt;
    }
    return std::string_view(pool_).substr(slots_[pos].offset, slots_[pos].length);
}

void clsPROFIBUSProfil3Units::TextOverrides::Set(std::size_t pos, std::string_view text,
                                                 std::string_view defaultText) {
    if (slots_.empty()) {
        if (text == defaultText) {
            return;
        }
        slots_.resize(kTableSize);
    }
    Slot& slot = slots_[pos];
    if (slot.length != kUnset) {
        unusedBytes_ += slot.length;
        slot.length = kUnset;
    }
    if (text == defaultText) {
        return;
    }
    // Replaced texts stay in the pool until they make up half of it.
    if (unusedBytes_ > pool_.size() / 2) {
        Compact();
    }
    slot.offset = static_cast<std::uint32_t>(pool_.size());
    slot.length = static_cast<std::uint32_t>(text.size());
    pool_.append(text);
}

void clsPROFIBUSProfil3Units::TextOverrides::Compact() {
    std::string packed;
    packed.reserve(pool_.size() - unusedBytes_);
    for (Slot& slot : slots_) {
        if (slot.length == kUnset) {
            continue;
        }
        const auto offset = static_cast<std::uint32_t>(packed.size());
        packed.append(pool_, slot.offset, slot.length);
        slot.offset = offset;
    }
    pool_ = std::move(packed);
    unusedBytes_ = 0;
}

clsPROFIBUSProfil3Units::Conversion clsPROFIBUSProfil3Units::ConversionOf(std::int32_t idx) const {
    if (!InTable(idx)) {
        return {};
    }
    if (const auto it = redefined_.find(idx); it != redefined_.end()) {
        return it->second;
    }
    if (const UnitRow* row = DefaultRow(idx)) {
        return {true, row->faktor, row->offset, row->unitClass};
    }
    return {};
}

std::string_view clsPROFIBUSProfil3Units::TextAt(std::int32_t idx) const {
    return texts_.Find(PositionOf(idx)).value_or(DefaultText(idx));
}

std::string clsPROFIBUSProfil3Units::PROFIBUSProfil3UnitString(std::int32_t idx) const {
    if (!ConversionOf(idx).available) {
        return {};
    }
    return std::string(TextAt(idx));
}

void clsPROFIBUSProfil3Units::PROFIBUSProfil3UnitString(std::int32_t idx, std::string_view text) {
    if (ConversionOf(idx).available) {
        texts_.Set(PositionOf(idx), text, DefaultText(idx));
    }
}

std::int32_t clsPROFIBUSProfil3Units::PROFIBUSProfil3UnitIndex(std::string_view str) const {
    const std::string_view trimmed = Trim(str);
    for (std::int32_t idx = pp3MinConstUnitIdx; idx <= pp3MaxUnitIdx; ++idx) {
        if (ConversionOf(idx).available && TextAt(idx) == trimmed) {
            return idx;
        }
    }
    return 0;
}

std::string clsPROFIBUSProfil3Units::PROFIBUSProfil3UnitHelpKey(std::int32_t idx) const {
    if (!ConversionOf(idx).available) {
        return {};
    }
    if (const auto key = helpKeys_.Find(PositionOf(idx))) {
        return std::string(*key);
    }
    return DefaultHelpKey(idx);
}

void clsPROFIBUSProfil3Units::PROFIBUSProfil3UnitHelpKey(std::int32_t idx, std::string_view key) {
    if (ConversionOf(idx).available) {
        helpKeys_.Set(PositionOf(idx), key, DefaultHelpKey(idx));
    }
}

clsPROFIBUSProfil3Units::UnitInfo clsPROFIBUSProfil3Units::PROFIBUSProfil3UnitInfo(
    std::int32_t idx) const {
    const Conversion conversion = ConversionOf(idx);
    if (!conversion.available) {
        return {};
    }
    return {true,
            conversion.faktor,
            conversion.Offset,
            PROFIBUSProfil3UnitString(idx),
            PROFIBUSProfil3UnitHelpKey(idx),
            conversion.unitClass};
}

UnitCalcClass clsPROFIBUSProfil3Units::PROFIBUSProfil3UnitClass(std::int32_t idx) const {
    return ConversionOf(idx).unitClass;
}

// The conversion stops at the first fault with a placeholder value, which the try form drops.
template <typename Fail>
double clsPROFIBUSProfil3Units::ConvertedValue(double currentValue, std::int32_t currentUnitIdx,
                                               std::int32_t newUnitIdx, Fail& fail) const {
    if (newUnitIdx == currentUnitIdx) {
        return currentValue;
    }
    // Positions below 1000 carry no conversion data.
    const auto convertible = [this](std::int32_t idx) {
        return idx >= pp3MinUnitIdx ? ConversionOf(idx) : Conversion{};
    };
    const Conversion from = convertible(currentUnitIdx);
    const Conversion to = convertible(newUnitIdx);

    double value = currentValue;
    // One step: value := op(value, operand), unless the operation faults.
    const auto step = [&](double result, double operand) {
        const ArithmeticFault fault = FaultOf(result, value, operand);
        if (fault != ArithmeticFault::None) {
            fail(fault);
            return false;
        }
        value = result;
        return true;
    };
    if (from.available && from.faktor != 0) {
        if (!step(value / from.faktor, from.faktor) || !step(value - from.Offset, from.Offset)) {
            return 0;
        }
    }
    if (to.available && to.faktor != 0) {
        if (!step(value + to.Offset, to.Offset) || !step(value * to.faktor, to.faktor)) {
            return 0;
        }
    }
    const bool sameClass = from.available && to.available && from.unitClass > uccConst &&
                           from.unitClass == to.unitClass;
    return sameClass ? value : currentValue;
}

double clsPROFIBUSProfil3Units::CalculateUnitValue(double currentValue, std::int32_t currentUnitIdx,
                                                   std::int32_t newUnitIdx) const {
    RaiseFault fail;
    return ConvertedValue(currentValue, currentUnitIdx, newUnitIdx, fail);
}

std::optional<double> clsPROFIBUSProfil3Units::TryCalculateUnitValue(
    double currentValue, std::int32_t currentUnitIdx, std::int32_t newUnitIdx) const {
    NoteFault fail;
    const double value = ConvertedValue(currentValue, currentUnitIdx, newUnitIdx, fail);
    if (fail.failed()) {
        return std::nullopt;
    }
    return value;
}

bool clsPROFIBUSProfil3Units::Convertible(std::int32_t fromUnitIdx, std::int32_t toUnitIdx) const {
    if (fromUnitIdx == toUnitIdx)
        return true;
    // The class of a unit that converts; uccConst for any other.
    const auto classOf = [this](std::int32_t idx) {
        const Conversion c = ConversionOf(idx);
        const bool converts =
            idx >= pp3MinUnitIdx && idx <= pp3MaxUnitIdx && c.available && c.faktor != 0;
        return converts ? c.unitClass : uccConst;
    };
    const UnitCalcClass from = classOf(fromUnitIdx);
    return from > uccConst && from == classOf(toUnitIdx);
}

void clsPROFIBUSProfil3Units::SetUnitInformation(std::int32_t PROFIBUSProfil3UnitIdx, double Mult,
                                                 double Offset, std::string_view strUnit,
                                                 std::string_view strHelpKey,
                                                 std::optional<std::int32_t> unitClass) {
    const std::int32_t idx = PROFIBUSProfil3UnitIdx;
    if (!InTable(idx)) {
        return;
    }
    Conversion entry = ConversionOf(idx);
    if (idx < pp3MinUnitIdx) {
        entry.unitClass = uccConst;
    } else {
        entry.faktor = Mult;
        entry.Offset = Offset;
        entry.unitClass = static_cast<UnitCalcClass>(unitClass.value_or(uccCalc));
    }
    entry.available = true;
    redefined_[idx] = entry;
    texts_.Set(PositionOf(idx), strUnit, DefaultText(idx));
    helpKeys_.Set(PositionOf(idx), strHelpKey, DefaultHelpKey(idx));
}

}  // namespace kv
