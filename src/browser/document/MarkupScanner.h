#pragma once

#include <QByteArray>
#include <utility>
#include <vector>

// A light tokenizer over raw page bytes (UTF-8 or any single-byte charset that keeps ASCII in
// place). It finds tags, comments and text the way an HTML tokenizer splits them - quoted
// attribute values, comments and the content of script, style and the other raw-text elements
// hide their '<' and '>' - without building anything. It serves the charset pre-scan and the
// guard that keeps hostile nesting away from the parser. It walks the bytes once and never
// recurses.

struct MarkupToken
{
    enum class Kind {
        Text,
        StartTag,
        EndTag,
        Comment,
        Declaration // <!DOCTYPE ...>, <?...>, </ followed by no name and the like
    };

    Kind kind = Kind::Text;
    qsizetype lngBegin = 0; // byte range [lngBegin, lngEnd) of the whole token
    qsizetype lngEnd = 0;
    QByteArray strName; // tags: lower-case name
    bool blnSelfClosing = false;
    bool blnRawText = false; // text: the content of script, style, textarea and the like
    std::vector<std::pair<QByteArray, QByteArray>> attributes; // only when asked for; names lower case
    int intAttributes = 0; // tags: how many attributes the tag carries
    // Tags with more attributes than the scanner's limit: where the last attribute within the
    // limit ends.
    qsizetype lngLimitEnd = -1;
};

class MarkupScanner
{
public:
    // intAttributeLimit > 0: tags with more attributes get lngLimitEnd set.
    explicit MarkupScanner(const QByteArray& bytes, bool blnWithAttributes = false, int intAttributeLimit = 0);

    // Reads the next token; false at the end of the bytes.
    bool Next(MarkupToken* token);

private:
    void ReadTag(MarkupToken* token);
    void ReadRawText(MarkupToken* token);
    qsizetype FindRawTextEnd(qsizetype lngFrom) const;

    const QByteArray& m_bytes;
    bool m_blnWithAttributes;
    int m_intAttributeLimit;
    qsizetype m_lngPos = 0;
    QByteArray m_strRawTextEnd; // set after the start tag of a raw-text element
};
