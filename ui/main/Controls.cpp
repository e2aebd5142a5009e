#include "Controls.h"

namespace {

using enum Control;
using K = ControlKind;

constexpr FontDef form{nullptr, 0, false};
constexpr FontDef arial(double points, bool bold = false) { return {"Arial", points, bold}; }
constexpr FontDef sans(double points) { return {"MS Sans Serif", points, false}; }
constexpr FontDef none = form; // pictures and shapes draw no text

constexpr quint16 offscreenLabel = ButtonFace;

// clang-format off
constexpr std::array<ControlDef, kControlCount> kTable{{
//   id                    name                    kind          text                                   left   top   width height font               flags                  max tab
    // Header area
    {Image1,               "Image1",               K::Picture,   "",                                    {0,     0,    2850, 7530}, none,               ThinBorder,             0, -1},
    {Label15,              "Label15",              K::Label,     "Welcome to the Quorvin Halvex Build Date Calculator.",
                                                                                                        {3120,  240,  9015, 375},  arial(15.75, true), NoFlags,                0, -1},
    {Label14,              "Label14",              K::Label,     "I have worked out a crude formula for calculating the build date of your Halvex, "
                                                                 "in an ideal world, where everything is perfect! Of course, it's not guaranteed, "
                                                                 "and we have to make some assumptions, but all things being equal, it's reasonably close.",
                                                                                                        {3120,  720,  9015, 1095}, form,               WordWrap,               0, -1},
    {Image3,               "Image3",               K::Picture,   "",                                    {12240, 120,  1080, 1080}, none,               NoFlags,                0, -1},
    // Input area
    {Label6,               "Label6",               K::Label,     "Instructions:",                       {2880,  1920, 1935, 375},  arial(12, true),    RightAligned,           0, -1},
    {Label4,               "Label4",               K::Label,     "Enter your Halvex's Serial Number in the box below and press Enter/Return, or click 'Calculate'. ",
                                                                                                        {4920,  1920, 6855, 615},  form,               WordWrap,               0, -1},
    {Label1,               "Label1",               K::Label,     "Serial Number:",                      {2880,  2880, 1935, 375},  arial(12, true),    RightAligned,           0, -1},
    {txtSerial,            "txtSerial",            K::TextField, "",                                    {4920,  2760, 1935, 495},  arial(14.25),       NoFlags,                8,  0},
    // Month results area
    {lblFirstSerial,       "lblFirstSerial",       K::Label,     "0",                                   {4920,  3360, 1815, 375},  arial(14.25),       RightAligned,           0, -1},
    {Label7,               "Label7",               K::Label,     "The first serial number for the month",
                                                                                                        {6840,  3360, 4935, 375},  form,               NoFlags,                0, -1},
    {lblLastSerial,        "lblLastSerial",        K::Label,     "0",                                   {4920,  3840, 1815, 375},  arial(14.25),       RightAligned,           0, -1},
    {Label8,               "Label8",               K::Label,     "The last serial number for the month",
                                                                                                        {6840,  3840, 4935, 375},  form,               NoFlags,                0, -1},
    {lblProductionTotal,   "lblProductionTotal",   K::Label,     "0",                                   {4920,  4320, 1815, 375},  arial(14.25),       RightAligned,           0, -1},
    {Label9,               "Label9",               K::Label,     "Total Halvex production for the month",
                                                                                                        {6840,  4320, 5295, 375},  form,               NoFlags,                0, -1},
    {lblProductionAverage, "lblProductionAverage", K::Label,     "0",                                   {4920,  4800, 1815, 375},  arial(14.25),       RightAligned,           0, -1},
    {Label13,              "Label13",              K::Label,     "Average Daily production for the month",
                                                                                                        {6840,  4800, 4095, 375},  form,               NoFlags,                0, -1},
    // Result area
    {Frame3,               "Frame3",               K::Frame,     "Results",                             {3600,  5400, 9135, 1575}, form,               NoFlags,                0, -1},
    {lblDate,              "lblDate",              K::Label,     "0",                                   {240,   360,  8655, 975},  arial(20.25),       WordWrap | InFrame,     0, -1},
    // Bottom band
    {Shape1,               "Shape1",               K::Rectangle, "",                                    {-840,  7440, 15495, 1815}, none,              NoFlags,                0, -1},
    {lblAbout,             "lblAbout",             K::Label,     "About Box Text",                      {240,   7800, 5535, 375},  arial(9.75),        NoFlags,                0, -1},
    {cmdCalculate,         "cmdCalculate",         K::Button,    "&Calculate",                          {6720,  7680, 2415, 495},  sans(9.75),         DefaultButton,          0, 38},
    {cmdReset,             "cmdReset",             K::Button,    "&Reset",                              {9240,  7680, 1215, 495},  sans(9.75),         NoFlags,                0, 39},
    {cmdAbout,             "cmdAbout",             K::Button,    "&About",                              {12000, 7680, 1215, 495},  sans(9.75),         NoFlags,                0, 40},
    // Outside the client area
    {txtProductionTotal,   "txtProductionTotal",   K::TextField, "",                                    {17280, 240,  855,  495},  arial(14.25),       ReadOnly | ButtonFace, 10,  3},
    {txtProductionAverage, "txtProductionAverage", K::TextField, "",                                    {17280, 840,  855,  495},  arial(14.25),       ReadOnly | ButtonFace, 10,  4},
    {txtCarsBuilt,         "txtCarsBuilt",         K::TextField, "",                                    {17280, 1440, 855,  495},  arial(14.25),       ReadOnly | ButtonFace, 10,  5},
    {txtEndOfMonthDays,    "txtEndOfMonthDays",    K::TextField, "",                                    {17280, 2040, 855,  495},  arial(14.25),       ReadOnly | ButtonFace, 10,  6},
    {txtDate,              "txtDate",              K::TextField, "",                                    {17280, 2640, 855,  750},  arial(27.75, true), ReadOnly | ButtonFace, 10,  7},
    {txtFirstSerial,       "txtFirstSerial",       K::TextField, "",                                    {17280, 3600, 1815, 495},  arial(14.25),       NoFlags,                8,  1},
    {txtLastSerial,        "txtLastSerial",        K::TextField, "",                                    {17280, 4680, 1815, 495},  arial(14.25),       NoFlags,                8,  2},
    {txtMonthDays,         "txtMonthDays",         K::TextField, "Days in Month",                       {15120, 1080, 1215, 615},  sans(8.25),         NoFlags,                0, 23},
    {txtYear,              "txtYear",              K::TextField, "YEAR",                                {15120, 1800, 1335, 495},  sans(8.25),         NoFlags,                0, 22},
    {txtMonth,             "txtMonth",             K::TextField, "MONTH",                               {15120, 2400, 1335, 495},  sans(8.25),         NoFlags,                0, 21},
    {txtYearStart,         "txtYearStart",         K::TextField, "Start Serial for Year",               {15120, 3360, 1815, 495},  sans(8.25),         NoFlags,                0, 24},
    {txtYearEnd,           "txtYearEnd",           K::TextField, "End Serial for Year",                 {15120, 4080, 1815, 495},  sans(8.25),         NoFlags,                0, 25},
    {lblCarsBuilt,         "lblCarsBuilt",         K::Label,     "0",                                   {17400, 6000, 1095, 375},  sans(13.5),         RightAligned,           0, -1},
    {lblEndOfMonthDays,    "lblEndOfMonthDays",    K::Label,     "0",                                   {17400, 6720, 1095, 375},  sans(13.5),         RightAligned,           0, -1},
    {Label12,              "Label12",              K::Label,     "Production Total",                    {18360, 360,  1575, 255},  sans(8.25),         offscreenLabel,         0, -1},
    {Label16,              "Label16",              K::Label,     "Production Average",                  {18360, 960,  1695, 255},  sans(8.25),         offscreenLabel,         0, -1},
    {Label17,              "Label17",              K::Label,     "Cars Built This Month",               {18360, 1560, 1695, 255},  sans(8.25),         offscreenLabel,         0, -1},
    {Label18,              "Label18",              K::Label,     "Days till end of month",              {18360, 2160, 1815, 255},  sans(8.25),         offscreenLabel,         0, -1},
    {Label19,              "Label19",              K::Label,     "The Date!",                           {18480, 2880, 1215, 255},  sans(8.25),         offscreenLabel,         0, -1},
    {Label2,               "Label2",               K::Label,     "First serial of the month",           {17280, 4200, 2055, 255},  sans(8.25),         offscreenLabel,         0, -1},
    {Label3,               "Label3",               K::Label,     "Last serial of the month",            {17280, 5280, 1815, 255},  sans(8.25),         offscreenLabel,         0, -1},
    {Label10,              "Label10",              K::Label,     "Total production of cars between yours and the end of the month",
                                                                                                        {18600, 5880, 2415, 855},  sans(9.75),         NoFlags,                0, -1},
    {Label11,              "Label11",              K::Label,     "Days from end of the month",          {18720, 6720, 1455, 735},  sans(9.75),         NoFlags,                0, -1},
}};
// clang-format on

constexpr bool tableIsInOrder()
{
    for (std::size_t i = 0; i < kTable.size(); ++i) {
        if (indexOf(kTable[i].id) != i)
            return false;
    }
    return true;
}
static_assert(tableIsInOrder(), "the control table must list the controls in enum order");

} // namespace

const std::array<ControlDef, kControlCount>& controlTable() { return kTable; }
