#pragma once

#include <QSet>
#include <QString>

// The distinct texts of one column, without regard to letter case, for a
// table of hundreds of thousands of rows: about one hash lookup per text.
//
// The texts are kept as they came and case-folded alike: most values repeat
// exactly and need no folding then, and a text found as another's folded form
// folds to that same form, so it is a repeat too. They are found by a 64-bit
// FNV-1a hash of their UTF-16 units, kept with each text since a growing set
// hashes its keys again: Qt's own string hash is built to withstand keys
// chosen to collide, which took most of the time of reading a large table,
// and the values of the site's own tables need no such guard.
class TDistinctValues
{
public:
    // Records `text`; true when no text of the same letters in any case was
    // recorded before.
    bool add(const QString& text);

private:
    struct Key
    {
        QString text;
        quint64 hash;

        bool operator==(const Key& other) const { return hash == other.hash && text == other.text; }
        friend size_t qHash(const Key& key, size_t seed) { return size_t(key.hash ^ seed); }
    };

    // False when `text` was there already.
    bool insert(const QString& text);

    QSet<Key> m_texts;
};
