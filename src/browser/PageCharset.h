#pragma once

#include <QByteArray>
#include <QString>

// How page bytes become text and how form text becomes bytes again. Charset labels are reduced
// to a canonical name: "UTF-8", "windows-1252" (which also stands for ISO-8859-1 and US-ASCII,
// as in browsers) or a name the platform's converters know; an unknown label reads as none.

// Canonical name for a label, or empty when the label names no charset we can convert.
QByteArray CanonicalCharset(const QByteArray& label);

// The charset parameter of a Content-Type value ("text/html; charset=utf-8"), canonical; empty
// when there is none or it is unknown.
QByteArray CharsetFromContentType(const QByteArray& contentType);

// The charset that a <meta charset> or <meta http-equiv="Content-Type"> in the page's head
// declares, canonical; empty when there is none.
QByteArray CharsetFromMeta(const QByteArray& bytes);

// The charset a page is read in: a byte-order mark, else the Content-Type header, else a meta
// tag, else windows-1252.
QByteArray ChoosePageCharset(const QByteArray& bytes, const QByteArray& contentType);

// The page's text in the given (canonical) charset; a byte-order mark is dropped.
QString DecodePage(const QByteArray& bytes, const QByteArray& charset);

// Text as bytes of the given charset for a form submission; a character the charset cannot
// express is sent as "&#<decimal code>;", as browsers do.
QByteArray EncodeForForm(const QString& strText, const QByteArray& charset);
