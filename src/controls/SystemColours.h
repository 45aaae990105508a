#pragma once

#include <QColor>

class QPalette;

// Colour values are 0x00BBGGRR. A value whose top byte is 0x80 (its eight-digit hexadecimal form
// begins with "80") does not name a colour but refers to one of the desktop's system colours by
// index (0x8000000F is the face colour of buttons); such references are resolved through the
// application palette.
namespace SystemColours
{
bool IsSystemColour(quint32 lngValue);

// The palette colour that plays the role of system colour intIndex; black for an index that
// names no system colour.
QColor SystemColour(quint32 lngIndex, const QPalette& palette);

// A system colour reference becomes the plain 0x00BBGGRR value of its current colour; any other
// value is returned unchanged.
quint32 TranslateColour(quint32 lngValue, const QPalette& palette);
} // namespace SystemColours
