#pragma once

#include <QByteArray>
#include <vector>

// Keeps hostile markup away from the HTML parser. The parser checks the open elements on every
// start tag and re-opens every pending formatting element (b, font, ...) before new content, so
// markup nested tens of thousands of levels deep costs it time that grows with the square of the
// page; it compares every attribute of a tag with every other one; and every node it makes costs
// memory. The guard follows the nesting with a cheap model of the parser's rules and
// - leaves out the start tags that would open an element beyond intMaxDepth levels or a
//   formatting element beyond intMaxFormatting pending ones;
// - takes pending formatting elements off the parser's list (with end tags written for them)
//   when re-opening them would nest beyond intMaxDepth;
// - keeps the first intMaxAttributes attributes of a tag;
// - counts the nodes the parser will make (elements, attributes, text, comments) and gives up on
//   a page that needs more than lngMaxNodes: such a page cannot be shown.
// Ordinary pages come through byte for byte.

struct GuardedMarkup
{
    QByteArray bytes;
    // Offsets in bytes of every </form> end tag, ascending: the parser's form pointer ends there.
    std::vector<int> formEndOffsets;
    int intDroppedTags = 0;
    qint64 lngNodes = 0; // the nodes counted
    bool blnOverBudget = false; // the page needs more nodes than allowed; bytes are incomplete
};

struct MarkupLimits
{
    int intMaxDepth = 512;
    int intMaxFormatting = 16;
    int intMaxAttributes = 64;
    qint64 lngMaxNodes = 500000;
};

GuardedMarkup GuardMarkup(const QByteArray& utf8, const MarkupLimits& limits = MarkupLimits());
