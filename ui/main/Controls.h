#pragma once

#include "ui/common/ControlTypes.h"

#include <QtGlobal>

#include <array>
#include <cstddef>
#include <optional>

// Every control of the main window, by its control name, and the one table that describes them.
// The field set takes its design texts from this table and the window builds its widgets from it.

enum class Control : quint8 {
    // Header area
    Image1,
    Label15,
    Label14,
    Image3,
    // Input area
    Label6,
    Label4,
    Label1,
    txtSerial,
    // Month results area
    lblFirstSerial,
    Label7,
    lblLastSerial,
    Label8,
    lblProductionTotal,
    Label9,
    lblProductionAverage,
    Label13,
    // Result area
    Frame3,
    lblDate,
    // Bottom band
    Shape1,
    lblAbout,
    cmdCalculate,
    cmdReset,
    cmdAbout,
    // Outside the client area
    txtProductionTotal,
    txtProductionAverage,
    txtCarsBuilt,
    txtEndOfMonthDays,
    txtDate,
    txtFirstSerial,
    txtLastSerial,
    txtMonthDays,
    txtYear,
    txtMonth,
    txtYearStart,
    txtYearEnd,
    lblCarsBuilt,
    lblEndOfMonthDays,
    Label12,
    Label16,
    Label17,
    Label18,
    Label19,
    Label2,
    Label3,
    Label10,
    Label11,
};

inline constexpr std::size_t kControlCount = static_cast<std::size_t>(Control::Label11) + 1;

constexpr std::size_t indexOf(Control c) { return static_cast<std::size_t>(c); }

struct ControlDef {
    Control id;
    const char* name;
    ControlKind kind;
    const char* text; // design text or caption, UTF-8
    TwipsRect rect;
    FontDef font;
    quint16 flags;
    int maxLength; // 0: no limit
    int tabIndex;  // -1: takes no focus position
};

// The table, in the window's order, indexed by Control.
const std::array<ControlDef, kControlCount>& controlTable();

inline const ControlDef& controlDef(Control c) { return controlTable()[indexOf(c)]; }

// The window's client area in twips.
inline constexpr int kClientWidthTwips = 13470;
inline constexpr int kClientHeightTwips = 8400;

// What a screen reader is told about the controls that matter to its user, in the window and on
// the page alike. A control's name is a fixed text or, none given, its own caption; its
// description a fixed text or the caption of the label that describes it. The month figures keep
// their own caption as their name: a screen reader's review then reads each figure once, beside the
// caption label that stands next to it.
struct AccessibleDef {
    Control id;
    const char* name;                   // nullptr: the control's own caption
    const char* description;            // nullptr: the caption of describedBy
    std::optional<Control> describedBy; // the label beside a figure
};
inline constexpr AccessibleDef kAccessible[] = {
    {Control::txtSerial,
     "Serial Number",
     "The serial number of your Halvex, from 1 to 15076231. Press Enter to calculate.",
     {}},
    {Control::lblFirstSerial, nullptr, nullptr, Control::Label7},
    {Control::lblLastSerial, nullptr, nullptr, Control::Label8},
    {Control::lblProductionTotal, nullptr, nullptr, Control::Label9},
    {Control::lblProductionAverage, nullptr, nullptr, Control::Label13},
    {Control::lblDate, nullptr, "The estimated build date of the serial number", {}},
    {Control::cmdCalculate, "Calculate", "Estimates the build date of the serial number", {}},
    {Control::cmdReset, "Reset", "Clears the serial number and the results", {}},
    {Control::cmdAbout, "About", "Shows the version and the legal notices", {}},
};
