#include "sim/Installation.h"

// The installation panelsim serves when no --installation file is given. It shows every state
// the program can display with its default thresholds (analogue field < 020 fault, 040..150 in
// range for sensors, 040..250 for modules, anything else out of range; a current of 20..99 is an
// address conflict, 100 or more shows no current line).
//
// Loop 1, sensors (addresses not listed are empty; 46..99 are empty)
//   addr type zone st description            analogue current noise test  shows
//    1    2    1   0  INGRESSO PRINCIPALE       052     015     0   TY
//    2    2    1   0  CORRIDOIO PIANO 1         048     014     1   TY
//    3    2    1   0  UFFICIO 1                 055     015     0   TY
//    4    2    1   0  UFFICIO 2                 061     016     0   TY
//    5    2    1   0  UFFICIO 3                 045     015     2   TY
//    6    3    2   0  MAGAZZINO NORD            070     017     0   TY
//    7    4    2   0  MAGAZZINO SUD             066     016     0   TN   test fails
//    8    2    2   0  SALA SERVER               030     015     0   TY   out of range (low)
//   10    2    3   0  ARCHIVIO                  058     015     0   TY
//   11    5    3   0  CAVEDIO IMPIANTI          050     014     0   TY
//   12    6    3   0  SALA RIUNIONI             200     015     0   TY   out of range (high)
//   13    2    3   0  CORRIDOIO PIANO 2         005     015     0   TN   fault
//   14    2    3   0  BAGNI PIANO 2             047     040     0   TY   address conflict
//   15    7    4   0  LOCALE CALDAIA            080     015     0   TY
//   16    2    4   0  CUCINA                    090     016     0   TY
//   17    2    0   0  MENSA                     052     015     0   TY   zone 00: not activated
//   18    2    4   2  DEPOSITO                  049     015     0   TY   status 2: not activated
//   21    1    5   0  RISERVA                   046     015     0   TY
//   22    2    5   0  SCALA A                   010     015     0   TN   fault
//   23    2    5   0  SCALA B                   053     120     0   TY   no current line
//   24    2    5   0  UFFICIO 4                 056     015     1   TN   test fails
//   25    2    5   0  UFFICIO 5                 150     015     0   TY   in range, top edge
//   26    2    5   0  UFFICIO 6                 040     015     0   TY   in range, bottom edge
//   27    3    6   0  LABORATORIO               064     015     0   TY
//   28    4    6   0  OFFICINA                  072     016     0   TY
//   29    2    6   0  SPOGLIATOIO               151     015     0   TY   just above range
//   30    2    6   0  INFERMERIA                039     015     0   T?   just below range, no
//   result 31    2    7   0  UFFICIO 7                 057     015     0   TY 32    2    7   0
//   UFFICIO 8                 059     015     0   TY 34    5    7   0  CONTROSOFFITTO 1 062     014
//   0   TY 35    5    7   0  CONTROSOFFITTO 2          063     014     0   TY 36    6    8   0 SALA
//   ATTESA               051     015     0   TY 37    2    8   0  RECEPTION                 054 015
//   2   TY 39    2    8   0  CORRIDOIO PIANO 3         068     015     0   TY 40    2    8   2
//   SOTTOTETTO                060     015     0   TY   status 2: not activated 41    7    9   0
//   CENTRALE TERMICA          085     015     0   TY 42    2    9   0  LOCALE UPS 046     015     0
//   TN   test fails 43    2    9   0  UFFICIO 9                 053     015     0   TY 44    2    9
//   0  UFFICIO 10                049     015     0   TY 45    2    9   0  UFFICIO 11 047     015 1
//   TY
//
// Loop 1, modules (14..99 empty)
//   addr type zone description               analogue current noise  shows
//    1    6    1  MODULO SIRENA P1              060     015     0
//    2    6    1  MODULO SIRENA P2              055     015     0
//    3    6    2  PORTA TAGLIAFUOCO 1           120     015     0
//    4    6    2  PORTA TAGLIAFUOCO 2           250     015     0    in range, top edge
//    6    6    3  SERRANDA CONDOTTA             300     015     0    out of range (high)
//    7    6    3  PULSANTE INGRESSO             030     015     0    out of range (low)
//    8    6    4  PULSANTE SCALA A              008     015     0    fault
//    9    6    4  PULSANTE SCALA B              050     035     0    address conflict
//   10    6    5  ASPIRATORE FUMI               045     016     0
//   12    6    0  CENTRALE SPEGNIMENTO          080     015     0    zone 00
//   13    6    6  ELETTROVALVOLA                070     015     2
//
// Loop 2, sensors (17..99 empty)
//    1    2   10   0  PALESTRA                  050     015     0   TY
//    2    2   10   0  SPOGLIATOIO PALESTRA      055     015     0   TY
//    3    3   10   0  PISCINA                   060     015     0   TN   test fails
//    5    2   11   0  AULA 1                    045     015     1   TY
//    6    2   11   0  AULA 2                    047     015     0   TY
//    7    2   11   0  AULA 3                    180     015     0   TY   out of range (high)
//    8    4   11   0  LABORATORIO CHIMICA       065     015     0   TY
//    9    2   12   0  BIBLIOTECA                003     015     0   TN   fault
//   10    2   12   0  AULA MAGNA                052     060     0   TY   address conflict
//   11    5   12   0  LOCALE TECNICO            058     150     0   TY   no current line
//   12    2    0   0  AULA 4                    049     015     0   TY   zone 00: not activated
//   13    2   12   2  AULA 5                    051     015     0   TY   status 2: not activated
//   14    6   13   0  CORRIDOIO EST             025     015     0   TY   out of range (low)
//   15    7   13   0  CORRIDOIO OVEST           075     015     0   T?   no result
//   16    1   13   0  RISERVA                   045     015     0   TY
//
// Loop 2, modules (7..99 empty)
//    1    6   10  SIRENA PALESTRA               060     015     0
//    2    6   11  PORTA AULE                    260     015     0    out of range (high)
//    4    6   12  PULSANTE BIBLIOTECA           012     015     0    fault
//    5    6   13  SERRANDA EST                  048     090     0    address conflict
//    6    6   13  SERRANDA OVEST                052     015     0

namespace testloop::sim {

namespace {

struct SensorRow
{
    int loop;
    int address;
    int type;
    int zone;
    int status;
    const char16_t *description;
    int analogue;
    int current;
    int noise;
    const char16_t *test;
};

struct ModuleRow
{
    int loop;
    int address;
    int type;
    int zone;
    const char16_t *description;
    int analogue;
    int current;
    int noise;
};

// clang-format off
constexpr SensorRow sensorRows[] = {
    {1,  1, 2,  1, 0, u"INGRESSO PRINCIPALE",  52,  15, 0, u"TY"},
    {1,  2, 2,  1, 0, u"CORRIDOIO PIANO 1",    48,  14, 1, u"TY"},
    {1,  3, 2,  1, 0, u"UFFICIO 1",            55,  15, 0, u"TY"},
    {1,  4, 2,  1, 0, u"UFFICIO 2",            61,  16, 0, u"TY"},
    {1,  5, 2,  1, 0, u"UFFICIO 3",            45,  15, 2, u"TY"},
    {1,  6, 3,  2, 0, u"MAGAZZINO NORD",       70,  17, 0, u"TY"},
    {1,  7, 4,  2, 0, u"MAGAZZINO SUD",        66,  16, 0, u"TN"},
    {1,  8, 2,  2, 0, u"SALA SERVER",          30,  15, 0, u"TY"},
    {1, 10, 2,  3, 0, u"ARCHIVIO",             58,  15, 0, u"TY"},
    {1, 11, 5,  3, 0, u"CAVEDIO IMPIANTI",     50,  14, 0, u"TY"},
    {1, 12, 6,  3, 0, u"SALA RIUNIONI",       200,  15, 0, u"TY"},
    {1, 13, 2,  3, 0, u"CORRIDOIO PIANO 2",     5,  15, 0, u"TN"},
    {1, 14, 2,  3, 0, u"BAGNI PIANO 2",        47,  40, 0, u"TY"},
    {1, 15, 7,  4, 0, u"LOCALE CALDAIA",       80,  15, 0, u"TY"},
    {1, 16, 2,  4, 0, u"CUCINA",               90,  16, 0, u"TY"},
    {1, 17, 2,  0, 0, u"MENSA",                52,  15, 0, u"TY"},
    {1, 18, 2,  4, 2, u"DEPOSITO",             49,  15, 0, u"TY"},
    {1, 21, 1,  5, 0, u"RISERVA",              46,  15, 0, u"TY"},
    {1, 22, 2,  5, 0, u"SCALA A",              10,  15, 0, u"TN"},
    {1, 23, 2,  5, 0, u"SCALA B",              53, 120, 0, u"TY"},
    {1, 24, 2,  5, 0, u"UFFICIO 4",            56,  15, 1, u"TN"},
    {1, 25, 2,  5, 0, u"UFFICIO 5",           150,  15, 0, u"TY"},
    {1, 26, 2,  5, 0, u"UFFICIO 6",            40,  15, 0, u"TY"},
    {1, 27, 3,  6, 0, u"LABORATORIO",          64,  15, 0, u"TY"},
    {1, 28, 4,  6, 0, u"OFFICINA",             72,  16, 0, u"TY"},
    {1, 29, 2,  6, 0, u"SPOGLIATOIO",         151,  15, 0, u"TY"},
    {1, 30, 2,  6, 0, u"INFERMERIA",           39,  15, 0, u"T?"},
    {1, 31, 2,  7, 0, u"UFFICIO 7",            57,  15, 0, u"TY"},
    {1, 32, 2,  7, 0, u"UFFICIO 8",            59,  15, 0, u"TY"},
    {1, 34, 5,  7, 0, u"CONTROSOFFITTO 1",     62,  14, 0, u"TY"},
    {1, 35, 5,  7, 0, u"CONTROSOFFITTO 2",     63,  14, 0, u"TY"},
    {1, 36, 6,  8, 0, u"SALA ATTESA",          51,  15, 0, u"TY"},
    {1, 37, 2,  8, 0, u"RECEPTION",            54,  15, 2, u"TY"},
    {1, 39, 2,  8, 0, u"CORRIDOIO PIANO 3",    68,  15, 0, u"TY"},
    {1, 40, 2,  8, 2, u"SOTTOTETTO",           60,  15, 0, u"TY"},
    {1, 41, 7,  9, 0, u"CENTRALE TERMICA",     85,  15, 0, u"TY"},
    {1, 42, 2,  9, 0, u"LOCALE UPS",           46,  15, 0, u"TN"},
    {1, 43, 2,  9, 0, u"UFFICIO 9",            53,  15, 0, u"TY"},
    {1, 44, 2,  9, 0, u"UFFICIO 10",           49,  15, 0, u"TY"},
    {1, 45, 2,  9, 0, u"UFFICIO 11",           47,  15, 1, u"TY"},
    {2,  1, 2, 10, 0, u"PALESTRA",             50,  15, 0, u"TY"},
    {2,  2, 2, 10, 0, u"SPOGLIATOIO PALESTRA", 55,  15, 0, u"TY"},
    {2,  3, 3, 10, 0, u"PISCINA",              60,  15, 0, u"TN"},
    {2,  5, 2, 11, 0, u"AULA 1",               45,  15, 1, u"TY"},
    {2,  6, 2, 11, 0, u"AULA 2",               47,  15, 0, u"TY"},
    {2,  7, 2, 11, 0, u"AULA 3",              180,  15, 0, u"TY"},
    {2,  8, 4, 11, 0, u"LABORATORIO CHIMICA",  65,  15, 0, u"TY"},
    {2,  9, 2, 12, 0, u"BIBLIOTECA",            3,  15, 0, u"TN"},
    {2, 10, 2, 12, 0, u"AULA MAGNA",           52,  60, 0, u"TY"},
    {2, 11, 5, 12, 0, u"LOCALE TECNICO",       58, 150, 0, u"TY"},
    {2, 12, 2,  0, 0, u"AULA 4",               49,  15, 0, u"TY"},
    {2, 13, 2, 12, 2, u"AULA 5",               51,  15, 0, u"TY"},
    {2, 14, 6, 13, 0, u"CORRIDOIO EST",        25,  15, 0, u"TY"},
    {2, 15, 7, 13, 0, u"CORRIDOIO OVEST",      75,  15, 0, u"T?"},
    {2, 16, 1, 13, 0, u"RISERVA",              45,  15, 0, u"TY"},
};

constexpr ModuleRow moduleRows[] = {
    {1,  1, 6,  1, u"MODULO SIRENA P1",      60,  15, 0},
    {1,  2, 6,  1, u"MODULO SIRENA P2",      55,  15, 0},
    {1,  3, 6,  2, u"PORTA TAGLIAFUOCO 1",  120,  15, 0},
    {1,  4, 6,  2, u"PORTA TAGLIAFUOCO 2",  250,  15, 0},
    {1,  6, 6,  3, u"SERRANDA CONDOTTA",    300,  15, 0},
    {1,  7, 6,  3, u"PULSANTE INGRESSO",     30,  15, 0},
    {1,  8, 6,  4, u"PULSANTE SCALA A",       8,  15, 0},
    {1,  9, 6,  4, u"PULSANTE SCALA B",      50,  35, 0},
    {1, 10, 6,  5, u"ASPIRATORE FUMI",       45,  16, 0},
    {1, 12, 6,  0, u"CENTRALE SPEGNIMENTO",  80,  15, 0},
    {1, 13, 6,  6, u"ELETTROVALVOLA",        70,  15, 2},
    {2,  1, 6, 10, u"SIRENA PALESTRA",       60,  15, 0},
    {2,  2, 6, 11, u"PORTA AULE",           260,  15, 0},
    {2,  4, 6, 12, u"PULSANTE BIBLIOTECA",   12,  15, 0},
    {2,  5, 6, 13, u"SERRANDA EST",          48,  90, 0},
    {2,  6, 6, 13, u"SERRANDA OVEST",        52,  15, 0},
};
// clang-format on

} // namespace

Installation Installation::defaultInstallation()
{
    Installation installation;
    for (const SensorRow &row : sensorRows) {
        Sensor sensor;
        sensor.type = row.type;
        sensor.zone = row.zone;
        sensor.status = row.status;
        sensor.description = QString::fromUtf16(row.description);
        sensor.analogue = row.analogue;
        sensor.current = row.current;
        sensor.noise = row.noise;
        sensor.test = QString::fromUtf16(row.test);
        installation.setSensor(row.loop, row.address, sensor);
    }
    for (const ModuleRow &row : moduleRows) {
        Module module;
        module.type = row.type;
        module.zone = row.zone;
        module.description = QString::fromUtf16(row.description);
        module.analogue = row.analogue;
        module.current = row.current;
        module.noise = row.noise;
        installation.setModule(row.loop, row.address, module);
    }
    return installation;
}

} // namespace testloop::sim
