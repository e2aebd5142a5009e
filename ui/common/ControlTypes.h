#pragma once

#include <QtGlobal>

// What a row of either window's control table is made of: kinds, fonts, places in twips, flags.
// Positions are in twips, 15 to a device-independent pixel.

enum class ControlKind : quint8 { Picture, Label, TextField, Button, Frame, Rectangle };

struct FontDef {
    const char* face; // nullptr: the window's default font
    double points;
    bool bold;
};

inline constexpr FontDef kFormFont{"Arial", 12.0, false};

struct TwipsRect {
    int left, top, width, height;
};

enum ControlFlag : quint16 {
    NoFlags = 0,
    RightAligned = 1 << 0,
    WordWrap = 1 << 1,
    ReadOnly = 1 << 2,
    ButtonFace = 1 << 3,    // opaque, button-face background
    DefaultButton = 1 << 4, // Enter anywhere in the window presses it
    InFrame = 1 << 5,       // positioned inside Frame3
    ThinBorder = 1 << 6,
};

inline constexpr int kTwipsPerPixel = 15;
