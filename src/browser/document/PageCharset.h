#pragma once

#include <QByteArray>
#include <QString>

// How page bytes become text and how form text becomes bytes again. Charset labels are read as
// browsers read them: each label that browsers know stands for one encoding ("latin1", "ascii"
// and "iso-8859-1" all for "windows-1252", "unicode" and "ucs-2" for "UTF-16LE", ...), and a
// label they do not know names no encoding.

// Canonical name for a label ("UTF-8", "windows-1252", "Shift_JIS", "UTF-16LE", "replacement",
// ...), or empty when the label names no encoding.
QByteArray CanonicalCharset(const QByteArray& label);

// The charset parameter of a Content-Type value ("text/html; charset=utf-8"), canonical; empty
// when there is none or it is unknown.
QByteArray CharsetFromContentType(const QByteArray& contentType);

// The charset that a <meta charset> or <meta http-equiv="Content-Type"> in the page's head
// declares, canonical; empty when there is none. A UTF-16 label there means UTF-8 (the markup
// was readable as ASCII), the user-defined one windows-1252.
QByteArray CharsetFromMeta(const QByteArray& bytes);

// The charset a page is read in: a byte-order mark, else the Content-Type header, else a meta
// tag, else windows-1252.
QByteArray ChoosePageCharset(const QByteArray& bytes, const QByteArray& contentType);

// The page's text in the given (canonical) charset; a byte-order mark is dropped. A charset the
// platform cannot convert reads as windows-1252.
QString DecodePage(const QByteArray& bytes, const QByteArray& charset);

// The same text as UTF-8 bytes, for the parser. UTF-8 bytes and pure ASCII come back as they are
// (sequences that are not UTF-8 are left for the parser to replace).
QByteArray DecodePageToUtf8(const QByteArray& bytes, const QByteArray& charset);

// Text as bytes of the given charset for a form submission; a character the charset cannot
// express is sent as "&#<decimal code>;", as browsers do.
QByteArray EncodeForForm(const QString& strText, const QByteArray& charset);
