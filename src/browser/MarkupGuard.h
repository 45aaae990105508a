#pragma once

#include <QByteArray>
#include <vector>

// Keeps hostile markup away from the HTML parser. The parser checks the open elements on every
// start tag and re-opens every pending formatting element (b, font, ...) before new content, so
// markup nested tens of thousands of levels deep costs it time that grows with the square of the
// page. The guard follows the nesting with a cheap model of the parser's rules and leaves out
// the start tags that would open an element beyond intMaxDepth levels or a formatting element
// beyond intMaxFormatting pending ones. Ordinary pages come through byte for byte.

struct GuardedMarkup
{
    QByteArray bytes;
    // Offsets in bytes of every </form> end tag, ascending: the parser's form pointer ends there.
    std::vector<int> formEndOffsets;
    int intDroppedTags = 0;
};

struct MarkupLimits
{
    int intMaxDepth = 512;
    int intMaxFormatting = 16;
};

GuardedMarkup GuardMarkup(const QByteArray& utf8, const MarkupLimits& limits = MarkupLimits());
