#pragma once

#include <QString>

#include <vector>

// The distinct texts of one column, without regard to letter case, for a
// table of hundreds of thousands of rows: about one probe of a flat table per
// text, with no allocation for a text seen before.
//
// Texts are compared by their case-folded forms, which are never made for
// plain ASCII, by far the most common: its letters are folded on the way.
// They are found by a 64-bit FNV-1a hash of the folded UTF-16 units: Qt's own
// string hash is built to withstand keys chosen to collide, which took most
// of the time of reading a large table, and the values of the site's own
// tables need no such guard.
class TDistinctValues
{
public:
    // Records `text`; true when no text of the same letters in any case was
    // recorded before.
    bool add(const QString& text);

private:
    struct Entry
    {
        QString text;
        quint64 hash;
    };

    // An entry's place in m_entries plus one (0: free), and the high half of
    // its hash, which spares most comparisons of texts that differ.
    struct Slot
    {
        quint32 entry = 0;
        quint32 tag = 0;
    };

    void grow();
    void place(quint32 entry);

    std::vector<Entry> m_entries;
    std::vector<Slot> m_slots; // open addressing, a power of two long
};
