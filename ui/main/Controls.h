#pragma once

#include "ui/common/ControlTypes.h"

#include <QtGlobal>

#include <array>
#include <cstddef>

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
