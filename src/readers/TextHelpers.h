#pragma once

#include <QString>
#include <QStringList>

// String helpers shared by the page readers, the report filter and the rest of the program.
//
// Conventions used throughout:
// - positions are 1-based character positions, 0 means "not found";
// - a search from a start position finds the first occurrence that begins at or after it, and a
//   start past the end of the text finds nothing;
// - "trimming" removes leading and trailing spaces (U+0020) only: tabs, CR and LF stay.

// The intIndex-th field (from 1) of strText cut at strDelimiter, matched without regard to case.
// Adjacent delimiters give an empty field and the last field runs to the end of the text. An
// index below 1 or past the last field gives an empty text.
QString GetField(const QString& strText, const QString& strDelimiter, int intIndex);

// Number of occurrences of strSought in strText (case-sensitive). Overlapping occurrences count
// separately ("aa" occurs twice in "aaa"); an empty sought text occurs nowhere.
int CountOccurrences(const QString& strText, const QString& strSought);

// The text between strStartMarker and the next strEndMarker, both searched without regard to case
// from lngPosition on. A position below 1 is first set to 1 (in the caller's variable too). When the
// start marker is missing the result is empty and the position stays. With blnAdvance the position
// moves just past the start marker, and when the end marker is found, just past the end marker.
// A missing end marker gives an empty result.
QString TextBetween(const QString& strStartMarker, const QString& strEndMarker, const QString& strText,
    int& lngPosition, bool blnAdvance);

// Cuts strText in the middle; an odd length gives the extra character to the second part.
void SplitInHalves(const QString& strText, QString& strFirst, QString& strSecond);

// Cuts strText after the character that follows its first "." ("12.511.0" gives "12.5" and "11.0").
void SplitAfterFirstDecimal(const QString& strText, QString& strFirst, QString& strSecond);

// Replaces every run of two or more CR LF pairs by one, so that empty lines disappear. Lines that
// hold only spaces are not empty.
QString CollapseBlankLines(const QString& strText);

// Position of the first digit 0-9 of strText, or with blnWantNonDigit of the first character that is
// not one; 0 when no character qualifies.
int FindDigit(const QString& strText, bool blnWantNonDigit);

// Scans strText from lngStart (a start below 1 is set to 1, in the caller's variable too) over digits
// and dots and returns the position of the first other character; 0 when the run reaches the end.
int EndOfNumber(const QString& strText, int& lngStart);

// The whole file as text, decoded from the platform's 8-bit code page (Latin-1 where there is no
// such code page). A missing or unreadable file gives an empty text.
// Single-byte text as the platform's profile functions read it: the ANSI code page on Windows,
// Latin-1 elsewhere.
QString DecodeEightBit(const QByteArray& bytes);
QString ReadWholeFile(const QString& strPath);

// Splits the HTML of one table row at "</td>" (any case) and fills cells with one entry per piece:
// the innermost text of the cell, after its last opening tag. The last entry holds whatever follows
// the row's last "</td>". An empty row gives an empty list.
void RowCells(const QString& strRowHtml, QStringList& cells);

// strText with leading and trailing spaces (U+0020 only) removed.
QString TrimSpaces(const QString& strText);

// Cuts strText at every strSeparator, keeping empty pieces; an empty text gives no pieces at all.
QStringList SplitPieces(const QString& strText, const QString& strSeparator, Qt::CaseSensitivity cs);

// The character with the given code (0-255) in the platform's 8-bit code page.
QString CharFromCode(int intCode);
