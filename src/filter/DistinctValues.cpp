#include "DistinctValues.h"

namespace {

quint64 fnv1a(const QString& text)
{
    quint64 hash = 14695981039346656037ULL;
    for (const QChar c : text)
        hash = (hash ^ c.unicode()) * 1099511628211ULL;
    return hash;
}

} // namespace

bool TDistinctValues::add(const QString& text)
{
    if (!insert(text))
        return false;
    const QString folded = text.toCaseFolded();
    return folded == text || insert(folded);
}

bool TDistinctValues::insert(const QString& text)
{
    const qsizetype before = m_texts.size();
    m_texts.insert({text, fnv1a(text)});
    return m_texts.size() != before;
}
