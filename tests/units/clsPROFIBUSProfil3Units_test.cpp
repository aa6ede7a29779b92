#include "units/clsPROFIBUSProfil3Units.h"

#include <cmath>
#include <limits>
#include <numbers>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

using namespace kv;

namespace {

bool IsPredefined(int code) {
    return (code >= 1000 && code <= 1520 && code != 1380) || (code >= 1551 && code <= 1566) ||
           (code >= 1995 && code <= 1999);
}

// Converts and compares with a relative tolerance of a few rounding steps.
void ExpectConverts(double value, int from, int to, double expected) {
    const clsPROFIBUSProfil3Units units;
    const double result = units.CalculateUnitValue(value, from, to);
    EXPECT_NEAR(result, expected, std::abs(expected) * 1e-12 + 1e-12)
        << value << " from " << from << " to " << to;
}

TEST(UnitTable, DefinesTheCodesOfTheThreeBlocksOnly) {
    const clsPROFIBUSProfil3Units units;
    int defined = 0;
    for (int code = 890; code <= 2010; ++code) {
        const bool available = units.PROFIBUSProfil3UnitInfo(code).available;
        EXPECT_EQ(available, IsPredefined(code)) << code;
        defined += available ? 1 : 0;
    }
    EXPECT_EQ(defined, 541);
}

TEST(UnitTable, ClassesFollowTheCodeRanges) {
    struct Range {
        int first, last;
        UnitCalcClass unitClass;
    };
    const std::vector<Range> ranges = {
        {1000, 1003, uccTemp},
        {1004, 1009, uccAngle},
        {1010, 1022, uccLen},
        {1023, 1033, uccArea},
        {1034, 1053, uccVolume},
        {1054, 1060, uccTime},
        {1061, 1075, uccVelocity},
        {1076, 1076, uccAcceleration},
        {1077, 1083, uccFrequency},
        {1084, 1086, uccAngleVelocity},
        {1087, 1087, uccAngleAcceleration},
        {1088, 1096, uccMass},
        {1097, 1379, uccCalc},
        {1381, 1520, uccCalc},
        {1551, 1566, uccCalc},
        {1995, 1999, uccCalc},
    };
    const clsPROFIBUSProfil3Units units;
    for (const Range& range : ranges) {
        for (int code = range.first; code <= range.last; ++code) {
            EXPECT_EQ(units.PROFIBUSProfil3UnitClass(code), range.unitClass) << code;
        }
    }
    EXPECT_EQ(units.PROFIBUSProfil3UnitClass(1380), uccConst);
    EXPECT_EQ(units.PROFIBUSProfil3UnitClass(999), uccConst);
}

TEST(UnitTable, StatedRowsHaveTheirTextFactorOffsetAndClass) {
    struct Row {
        int code;
        const char* text;
        double faktor, offset;
        UnitCalcClass unitClass;
    };
    const std::vector<Row> rows = {
        {1000, "K", 1, 273.15, uccTemp},
        {1001,
         "\xC2\xB0"
         "C",
         1, 0, uccTemp},
        {1002,
         "\xC2\xB0"
         "F",
         1.8, 32 / 1.8, uccTemp},
        {1003,
         "\xC2\xB0"
         "R",
         1.8, 273.15, uccTemp},
        {1005, "\xC2\xB0", 57.29578, 0, uccAngle},
        {1006, "'", 3437.747, 0, uccAngle},
        {1007, "''", 206264.8, 0, uccAngle},
        {1008, "gon", 63.66198, 0, uccAngle},
        {1019, "in", 39.37008, 0, uccLen},
        {1034, "m\xC2\xB3", 1, 0, uccVolume},
        {1058, "min", 0.01666666, 0, uccTime},
        {1059, "h", 0.0002777777, 0, uccTime},
        {1060, "d", 0.00001157407, 0, uccTime},
        {1137, "bar", 0.00001, 0, uccCalc},
        {1142, "psia", 0.0001450377, 0, uccCalc},
        {1143, "psig", 0.0001450377, -101325, uccCalc},
        {1342, "%", 0, 0, uccCalc},
        {1349, "m\xC2\xB3/h", 3600, 0, uccCalc},
        {1995, "", 1, 0, uccCalc},
        {1998, "Unknown", 1, 0, uccCalc},
    };
    const clsPROFIBUSProfil3Units units;
    for (const Row& row : rows) {
        const auto info = units.PROFIBUSProfil3UnitInfo(row.code);
        EXPECT_EQ(info.strUnit, row.text) << row.code;
        EXPECT_DOUBLE_EQ(info.faktor, row.faktor) << row.code;
        EXPECT_DOUBLE_EQ(info.Offset, row.offset) << row.code;
        EXPECT_EQ(info.unitClass, row.unitClass) << row.code;
    }
    for (int code : {1110, 1114, 1343, 1346, 1422, 1426, 1429, 1557, 1560, 1561, 1562}) {
        EXPECT_EQ(units.PROFIBUSProfil3UnitInfo(code).faktor, 0) << code;
    }
}

TEST(UnitTable, TextsKeepTheirExactCharacters) {
    const clsPROFIBUSProfil3Units units;
    EXPECT_EQ(units.PROFIBUSProfil3UnitString(1014), "\xC2\xB5m");
    EXPECT_EQ(units.PROFIBUSProfil3UnitString(1017), "\xC3\x85");
    EXPECT_EQ(units.PROFIBUSProfil3UnitString(1052), "bbl (liq) ");
    EXPECT_EQ(units.PROFIBUSProfil3UnitString(1156),
              "inHg (0\xC2\xB0"
              "C) ");
    EXPECT_EQ(units.PROFIBUSProfil3UnitString(1499), "\xC2\xB5m\xC2\xB3/min ");
    EXPECT_EQ(units.PROFIBUSProfil3UnitString(1560), "%S\xC3\xA4t");
    EXPECT_EQ(units.PROFIBUSProfil3UnitString(1022), "Seemeile");
    EXPECT_EQ(units.PROFIBUSProfil3UnitString(1566), "mg/m\xC2\xB3");
    for (int code : {899, 1380, 1550, 1567, 2000, 2001, -1, 0}) {
        EXPECT_EQ(units.PROFIBUSProfil3UnitString(code), "") << code;
    }
}

TEST(UnitTable, HelpKeysNameTheCodeExceptForTheSpecialCodes) {
    const clsPROFIBUSProfil3Units units;
    EXPECT_EQ(units.PROFIBUSProfil3UnitHelpKey(1342), "unit_1342_help");
    EXPECT_EQ(units.PROFIBUSProfil3UnitHelpKey(1000), "unit_1000_help");
    EXPECT_EQ(units.PROFIBUSProfil3UnitHelpKey(1566), "unit_1566_help");
    for (int code : {1995, 1999, 1380, 899, 2000}) {
        EXPECT_EQ(units.PROFIBUSProfil3UnitHelpKey(code), "") << code;
    }
}

TEST(UnitLookup, FindsTheFirstCodeOfTheTrimmedText) {
    const clsPROFIBUSProfil3Units units;
    EXPECT_EQ(units.PROFIBUSProfil3UnitIndex(" mm "), 1013);
    EXPECT_EQ(units.PROFIBUSProfil3UnitIndex("MM"), 0);
    EXPECT_EQ(units.PROFIBUSProfil3UnitIndex("pH"), 1274);
    EXPECT_EQ(units.PROFIBUSProfil3UnitIndex("mg/l"), 1558);
    EXPECT_EQ(units.PROFIBUSProfil3UnitIndex(""), 1995);
    EXPECT_EQ(units.PROFIBUSProfil3UnitIndex("   "), 1995);
    EXPECT_EQ(units.PROFIBUSProfil3UnitIndex("\tmm"), 0);  // only blanks are trimmed
    EXPECT_EQ(units.PROFIBUSProfil3UnitIndex("\xC2\xB0"
                                             "C"),
              1001);
    EXPECT_EQ(units.PROFIBUSProfil3UnitIndex("furlong"), 0);
    for (int code = 1000; code <= 1999; ++code) {
        if (!IsPredefined(code) || code == 1422 || code == 1565) {
            continue;
        }
        const bool endsInBlank = code == 1052 || code == 1156 || code == 1499;
        EXPECT_EQ(units.PROFIBUSProfil3UnitIndex(units.PROFIBUSProfil3UnitString(code)),
                  endsInBlank ? 0 : code)
            << code;
    }
}

TEST(UnitLookup, ReplacedTextsApplyOnlyToDefinedCodes) {
    clsPROFIBUSProfil3Units units;
    units.PROFIBUSProfil3UnitString(1380, "x");
    units.PROFIBUSProfil3UnitString(899, "x");
    units.PROFIBUSProfil3UnitHelpKey(1380, "x");
    EXPECT_FALSE(units.PROFIBUSProfil3UnitInfo(1380).available);
    EXPECT_EQ(units.PROFIBUSProfil3UnitString(1380), "");
    EXPECT_EQ(units.PROFIBUSProfil3UnitIndex("x"), 0);

    units.PROFIBUSProfil3UnitString(1013, "Millimeter");
    units.PROFIBUSProfil3UnitHelpKey(1013, "help_mm");
    EXPECT_EQ(units.PROFIBUSProfil3UnitString(1013), "Millimeter");
    EXPECT_EQ(units.PROFIBUSProfil3UnitHelpKey(1013), "help_mm");
    EXPECT_EQ(units.PROFIBUSProfil3UnitIndex("Millimeter"), 1013);
    EXPECT_EQ(units.PROFIBUSProfil3UnitIndex("mm"), 0);

    units.PROFIBUSProfil3UnitString(1995, "-");
    EXPECT_EQ(units.PROFIBUSProfil3UnitIndex(""), 0);

    const clsPROFIBUSProfil3Units copy = units;
    units.PROFIBUSProfil3UnitString(1013, "mm");
    EXPECT_EQ(units.PROFIBUSProfil3UnitIndex("mm"), 1013);
    EXPECT_EQ(copy.PROFIBUSProfil3UnitString(1013), "Millimeter");
}

TEST(UnitLookup, RepeatedLanguageChangesKeepEveryText) {
    clsPROFIBUSProfil3Units units;
    const clsPROFIBUSProfil3Units defaults;
    for (int round = 0; round < 6; ++round) {
        // Texts of changing lengths, so that replaced texts pile up in between.
        const std::string suffix(static_cast<std::size_t>(round % 3) * 5, '~');
        for (int code = 900; code <= 2000; ++code) {
            units.PROFIBUSProfil3UnitString(code, std::to_string(code) + suffix);
        }
        for (int code = 900; code <= 2000; ++code) {
            EXPECT_EQ(units.PROFIBUSProfil3UnitString(code),
                      IsPredefined(code) ? std::to_string(code) + suffix : "")
                << code;
        }
    }
    for (int code = 1000; code <= 1999; ++code) {
        units.PROFIBUSProfil3UnitString(code, defaults.PROFIBUSProfil3UnitString(code));
    }
    for (int code = 1000; code <= 1999; ++code) {
        EXPECT_EQ(units.PROFIBUSProfil3UnitString(code), defaults.PROFIBUSProfil3UnitString(code));
    }
}

TEST(UnitConversion, StatedCases) {
    ExpectConverts(0, 1001, 1000, 273.15);
    ExpectConverts(212, 1002, 1001, 100);
    ExpectConverts(1, 1004, 1005, 57.29578);
    ExpectConverts(1, 1130, 1174, 1000);  // class 1 converts across quantities
    ExpectConverts(50, 1342, 1423, 50);   // factor 0: the first step is skipped
    ExpectConverts(0, 1143, 1130, 101325);
}

TEST(UnitConversion, TemperatureOffsets) {
    ExpectConverts(-40, 1002, 1001, -40);
    ExpectConverts(0, 1000, 1002, -459.67);
    ExpectConverts(100, 1001, 1003, 671.67);
    ExpectConverts(491.67, 1003, 1000, 273.15);
    ExpectConverts(300, 1000, 1001, 26.85);
}

TEST(UnitConversion, OnlyWithinOneClassOfDefinedCodes) {
    const clsPROFIBUSProfil3Units units;
    const std::vector<std::pair<int, int>> unconverted = {
        {1000, 1010}, {1010, 1000}, {1010, 1380}, {1380, 1010}, {1600, 1130}, {1130, 1600},
        {999, 1013},  {1013, 900},  {1010, 2000}, {1005, 1084}, {1130, 1054},
    };
    for (const auto& [from, to] : unconverted) {
        EXPECT_EQ(units.CalculateUnitValue(12.5, from, to), 12.5) << from << "->" << to;
        EXPECT_FALSE(units.Convertible(from, to)) << from << "->" << to;
    }
    // Convertible also asks for a factor on both sides: % and pH convert into nothing else.
    for (const auto& [from, to] :
         std::vector<std::pair<int, int>>{{1342, 1423}, {1423, 1342}, {1422, 1130}, {0, 1013}}) {
        EXPECT_FALSE(units.Convertible(from, to)) << from << "->" << to;
    }
    for (const auto& [from, to] : std::vector<std::pair<int, int>>{
             {1012, 1013}, {1002, 1000}, {1130, 1174}, {1342, 1342}, {0, 0}, {1380, 1380}}) {
        EXPECT_TRUE(units.Convertible(from, to)) << from << "->" << to;
    }
    EXPECT_EQ(units.CalculateUnitValue(12.5, 1342, 1342), 12.5);
    EXPECT_EQ(units.CalculateUnitValue(12.5, 1380, 1380), 12.5);
    EXPECT_EQ(units.CalculateUnitValue(12.5, 1423, 1342), 12.5);
}

TEST(UnitConversion, DerivedFactorsMatchTheUnitDefinitions) {
    ExpectConverts(1, 1018, 1010, 0.3048);                // ft -> m
    ExpectConverts(1, 1020, 1018, 3);                     // yd -> ft
    ExpectConverts(1, 1021, 1011, 1.609344);              // Mile -> km
    ExpectConverts(1, 1022, 1010, 1852);                  // nautical mile -> m
    ExpectConverts(1, 1030, 1025, 6.4516);                // in² -> cm²
    ExpectConverts(1, 1029, 1028, 100);                   // ha -> a
    ExpectConverts(1, 1043, 1038, 28.316846592);          // ft³ -> L
    ExpectConverts(1, 1048, 1038, 3.785411784);           // gallon -> L
    ExpectConverts(1, 1049, 1040, 4546.09);               // ImpGal -> ml
    ExpectConverts(1, 1051, 1048, 42);                    // bbl -> gallon
    ExpectConverts(1, 1046, 1047, 0.5);                   // pint -> quart
    ExpectConverts(1, 1064, 1061, 1 / 3.6);               // km/h -> m/s
    ExpectConverts(1, 1065, 1064, 1.852);                 // knot -> km/h
    ExpectConverts(1, 1075, 1064, 1.609344);              // MPH -> km/h
    ExpectConverts(1, 1009, 1004, 2 * std::numbers::pi);  // rev -> r
    ExpectConverts(1, 1084, 1085, 60);                    // Rev/s -> RPM
    ExpectConverts(2 * std::numbers::pi, 1086, 1084, 1);  // r/s -> Rev/s
    ExpectConverts(1, 1094, 1088, 0.45359237);            // lb -> kg
    ExpectConverts(1, 1093, 1089, 28.349523125);          // oz -> g
    ExpectConverts(1, 1095, 1094, 2000);                  // STon -> lb
    ExpectConverts(1, 1096, 1088, 1016.0469088);          // LTon -> kg
    ExpectConverts(1, 1141, 1130, 6894.757293168);        // psi -> Pa
    ExpectConverts(1, 1137, 1141, 100000 / 6894.757293168);
    ExpectConverts(1, 1140, 1130, 101325);              // atm -> Pa
    ExpectConverts(760, 1139, 1140, 1);                 // torr -> atm
    ExpectConverts(1, 1145, 1133, 98.0665);             // kgf/cm² -> kPa
    ExpectConverts(1, 1149, 1130, 9.80665);             // mmH2O -> Pa
    ExpectConverts(1, 1146, 1130, 249.08891);           // inH2O -> Pa
    ExpectConverts(1, 1157, 1130, 133.322387415);       // mmHg -> Pa
    ExpectConverts(1, 1162, 1159, 0.001);               // cP -> Pa-s
    ExpectConverts(1, 1179, 1172, 3.6);                 // KWH -> MJ
    ExpectConverts(1, 1181, 1173, 4.1868);              // kcal -> kJ
    ExpectConverts(1, 1183, 1167, 1055.05585262);       // Btu -> J
    ExpectConverts(1, 1185, 1167, 1.3558179483314004);  // ft-lb -> J
    ExpectConverts(1, 1198, 1186, 745.69987158227022);  // hp -> W
    ExpectConverts(1, 1363, 1352, 3.785411784);         // GPM -> L/min
    ExpectConverts(1, 1357, 1349, 1.69901079552);       // CFM -> m³/h
    ExpectConverts(1, 1328, 1322, 1 / 3.6);             // t/h -> kg/s
    ExpectConverts(1, 1516, 1208, 2.326);               // Btu/lb -> kJ/kg
    ExpectConverts(1, 1302, 1552, 1000);                // mS/cm -> µS/cm
    ExpectConverts(1, 1555, 1291, 1e4);                 // MOhm*cm -> Ohm-m
    ExpectConverts(1, 1497, 1347, 1e9);                 // km³/s -> m³/s
    ExpectConverts(1, 1517, 1351, 1000);                // kL -> L/s: class 1 ignores the quantity
}

// Every volume flow, converted to m³/s (1347), against the size of its volume and its time
// unit: a megalitre is 1000 m³, a US gallon 3.785411784 L, an imperial gallon 4.54609 L, a
// barrel 42 gallons, a cubic foot 0.3048³ m³; "µm³", "km³" and "Mm³" are cubic micrometres,
// kilometres and megametres.
TEST(UnitConversion, VolumeFlowsMatchTheirVolumeAndTime) {
    const double gal = 3.785411784e-3;
    const double impGal = 4.54609e-3;
    const double bbl = 42 * gal;
    const double ft3 = 0.3048 * 0.3048 * 0.3048;
    const double s = 1, min = 60, h = 3600, d = 86400;
    struct Case {
        int code;
        double volume;  // m³
        double time;    // s
    };
    const std::vector<Case> cases = {
        {1347, 1, s},
        {1348, 1, min},
        {1349, 1, h},
        {1350, 1, d},
        {1351, 1e-3, s},
        {1352, 1e-3, min},
        {1353, 1e-3, h},
        {1354, 1e-3, d},
        {1355, 1e3, d},
        {1356, ft3, s},
        {1357, ft3, min},
        {1358, ft3, h},
        {1359, ft3, d},
        {1360, ft3, min},
        {1361, ft3, h},
        {1362, gal, s},
        {1363, gal, min},
        {1364, gal, h},
        {1365, gal, d},
        {1366, 1e6 * gal, d},
        {1367, impGal, s},
        {1368, impGal, min},
        {1369, impGal, h},
        {1370, impGal, d},
        {1371, bbl, s},
        {1372, bbl, min},
        {1373, bbl, h},
        {1374, bbl, d},
        {1448, 1e-6 * gal, s},
        {1449, 1e-3 * gal, s},
        {1450, 1e3 * gal, s},
        {1451, 1e6 * gal, s},
        {1452, 1e-6 * gal, min},
        {1455, 1e6 * gal, min},
        {1456, 1e-6 * gal, h},
        {1459, 1e6 * gal, h},
        {1460, 1e-6 * gal, d},
        {1462, 1e3 * gal, d},
        {1463, 1e-6 * impGal, s},
        {1466, 1e6 * impGal, s},
        {1470, 1e6 * impGal, min},
        {1474, 1e6 * impGal, h},
        {1478, 1e6 * impGal, d},
        {1479, 1e-6 * bbl, s},
        {1482, 1e6 * bbl, s},
        {1486, 1e6 * bbl, min},
        {1490, 1e6 * bbl, h},
        {1494, 1e6 * bbl, d},
        {1495, 1e-18, s},
        {1496, 1e-9, s},
        {1497, 1e9, s},
        {1498, 1e18, s},
        {1499, 1e-18, min},
        {1502, 1e18, min},
        {1506, 1e18, h},
        {1510, 1e18, d},
        {1511, 1e-6, s},
        {1512, 1e-6, min},
        {1513, 1e-6, h},
        {1514, 1e-6, d},
        {1518, 1, min},
        {1519, 1, h},
        {1520, 1, d},
        {1563, 1e-6, min},
    };
    for (const Case& c : cases)
        ExpectConverts(1, c.code, 1347, c.volume / c.time);
    // The reported case: one cubic metre per second is 86.4 megalitres a day.
    ExpectConverts(1, 1347, 1355, 86.4);
    ExpectConverts(1, 1355, 1350, 1000);  // ML/d -> m³/d
    ExpectConverts(1, 1355, 1354, 1e6);   // ML/d -> L/d
}

TEST(UnitConversion, RaisesArithmeticFaults) {
    const clsPROFIBUSProfil3Units units;
    const double huge = std::numeric_limits<double>::max();
    EXPECT_THROW(units.CalculateUnitValue(huge, 1137, 1130), std::overflow_error);
    EXPECT_THROW(units.CalculateUnitValue(huge, 1130, 1174), std::overflow_error);
    // Computed even when the classes differ and the result is not used.
    EXPECT_THROW(units.CalculateUnitValue(huge, 1137, 1000), std::overflow_error);
    EXPECT_EQ(units.CalculateUnitValue(huge, 1137, 1137), huge);

    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(units.CalculateUnitValue(inf, 1137, 1130), inf);
    EXPECT_TRUE(std::isnan(units.CalculateUnitValue(std::nan(""), 1137, 1130)));

    clsPROFIBUSProfil3Units custom;
    custom.SetUnitInformation(1380, inf, 0, "inf", "");
    EXPECT_THROW(custom.CalculateUnitValue(0, 1130, 1380), std::runtime_error);

    // The try form answers no value where the conversion raises, and the same value elsewhere.
    EXPECT_EQ(units.TryCalculateUnitValue(huge, 1137, 1130), std::nullopt);
    EXPECT_EQ(units.TryCalculateUnitValue(huge, 1137, 1000), std::nullopt);
    EXPECT_EQ(custom.TryCalculateUnitValue(0, 1130, 1380), std::nullopt);
    EXPECT_EQ(units.TryCalculateUnitValue(huge, 1137, 1137), huge);
    EXPECT_EQ(units.TryCalculateUnitValue(inf, 1137, 1130), inf);
    EXPECT_EQ(units.TryCalculateUnitValue(2, 1010, 1380), units.CalculateUnitValue(2, 1010, 1380));
}

TEST(UnitDefinition, DefinesAndOverwritesEntries) {
    clsPROFIBUSProfil3Units units;
    units.SetUnitInformation(1380, 1e3, 0, "mm*", "help_1380", uccLen);
    EXPECT_EQ(units.PROFIBUSProfil3UnitString(1380), "mm*");
    EXPECT_EQ(units.PROFIBUSProfil3UnitHelpKey(1380), "help_1380");
    EXPECT_EQ(units.PROFIBUSProfil3UnitIndex("mm*"), 1380);
    EXPECT_DOUBLE_EQ(units.CalculateUnitValue(2, 1010, 1380), 2000);

    units.SetUnitInformation(1380, 2, 1, "twice", "");
    const auto info = units.PROFIBUSProfil3UnitInfo(1380);
    EXPECT_EQ(info.unitClass, uccCalc);
    EXPECT_EQ(info.strUnit, "twice");
    EXPECT_DOUBLE_EQ(units.CalculateUnitValue(3, 1130, 1380), 8);

    units.SetUnitInformation(950, 5, 5, "const", "k");
    const auto low = units.PROFIBUSProfil3UnitInfo(950);
    EXPECT_TRUE(low.available);
    EXPECT_EQ(low.faktor, 0);
    EXPECT_EQ(low.unitClass, uccConst);
    EXPECT_EQ(units.PROFIBUSProfil3UnitIndex("const"), 950);
    EXPECT_EQ(units.CalculateUnitValue(7, 950, 1130), 7);

    // Codes from 1000 on take the conversion data; 999 is still a position without one.
    units.SetUnitInformation(999, 3, 0, "below", "", uccLen);
    EXPECT_EQ(units.PROFIBUSProfil3UnitClass(999), uccConst);
    EXPECT_EQ(units.CalculateUnitValue(2, 999, 1010), 2);
    units.SetUnitInformation(1000, 3, 0, "lowest", "", uccLen);
    EXPECT_EQ(units.PROFIBUSProfil3UnitClass(1000), uccLen);
    EXPECT_DOUBLE_EQ(units.CalculateUnitValue(6, 1000, 1010), 2);

    units.SetUnitInformation(899, 1, 0, "out", "");
    units.SetUnitInformation(2001, 1, 0, "out", "");
    EXPECT_EQ(units.PROFIBUSProfil3UnitIndex("out"), 0);

    units.SetUnitInformation(1013, 10, 0, "cm?", "", uccLen);
    EXPECT_DOUBLE_EQ(units.CalculateUnitValue(1, 1010, 1013), 10);
    EXPECT_EQ(units.PROFIBUSProfil3UnitHelpKey(1013), "");
    EXPECT_EQ(clsPROFIBUSProfil3Units().PROFIBUSProfil3UnitString(1013), "mm");
}

}  // namespace
