#pragma once

#include <QByteArray>
#include <QString>
#include <QStringEncoder>
#include <QStringView>
#include <optional>

// Text from and to the bytes of one charset, named by its canonical name ("windows-1252",
// "Shift_JIS", "KOI8-R", ...; see PageCharset.h), with the converters the platform has. Qt's own
// serve wherever this Qt build knows the charset (on Linux through ICU, every one a page may
// declare). A Qt build without ICU knows only the Unicode encodings; on Windows the others go
// through the system's code pages instead.
class CharsetCodec
{
public:
    explicit CharsetCodec(const QByteArray& charset);

    // False when neither Qt nor the system can convert the charset.
    bool IsValid() const;

    // All of the bytes as text; a byte-order mark is kept.
    QString Decode(const QByteArray& bytes) const;

    // One character (a code point: one or two UTF-16 units) appended as bytes of the charset;
    // false, with nothing appended, when the charset cannot express it. Stateful encodings keep
    // their state from one character to the next.
    bool EncodeCharacter(QStringView character, QByteArray* bytes);

private:
    QByteArray m_charset;
    bool m_blnQt = false;
    unsigned m_intCodePage = 0; // the system's code page, where Qt has no converter
    // Built in place, never moved: Qt's ICU-backed converter keeps its error state at its own
    // address, and a moved encoder stops reporting the characters it cannot express.
    std::optional<QStringEncoder> m_encoder;
};
