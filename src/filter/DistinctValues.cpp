#include "DistinctValues.h"

namespace {

constexpr quint64 FnvBasis = 14695981039346656037ULL;
constexpr quint64 FnvPrime = 1099511628211ULL;

bool isAscii(QStringView text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

char16_t asciiFolded(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
}

// Over the units of `text` with its ASCII letters folded: the hash of the
// folded form for an ASCII text or an already folded one.
quint64 hashOfFolded(QStringView text)
{
    quint64 hash = FnvBasis;
    for (const QChar c : text)
        hash = (hash ^ asciiFolded(c.unicode())) * FnvPrime;
    return hash;
}

quint64 foldedHash(const QString& text)
{
    return isAscii(text) ? hashOfFolded(text) : hashOfFolded(text.toCaseFolded());
}

bool asciiEqualFolded(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (asciiFolded(a[i].unicode()) != asciiFolded(b[i].unicode()))
            return false;
    }
    return true;
}

// Most texts found are exact repeats.
bool sameFolded(const QString& a, const QString& b)
{
    if (a == b)
        return true;
    if (isAscii(a) && isAscii(b))
        return asciiEqualFolded(a, b);
    return a.toCaseFolded() == b.toCaseFolded();
}

} // namespace

bool TDistinctValues::add(const QString& text)
{
    const quint64 hash = foldedHash(text);
    const auto tag = quint32(hash >> 32);
    if (2 * (m_entries.size() + 1) > m_slots.size())
        grow();
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = std::size_t(hash) & mask;; i = (i + 1) & mask) {
        const Slot slot = m_slots[i];
        if (slot.entry == 0) {
            m_entries.push_back({text, hash});
            m_slots[i] = {quint32(m_entries.size()), tag};
            return true;
        }
        if (slot.tag == tag) {
            const Entry& entry = m_entries[slot.entry - 1];
            if (entry.hash == hash && sameFolded(entry.text, text))
                return false;
        }
    }
}

// At most half full, so that a probe ends soon.
void TDistinctValues::grow()
{
    m_slots.assign(std::max<std::size_t>(16, 2 * m_slots.size()), {});
    for (quint32 entry = 1; entry <= m_entries.size(); ++entry)
        place(entry);
}

void TDistinctValues::place(quint32 entry)
{
    const quint64 hash = m_entries[entry - 1].hash;
    const std::size_t mask = m_slots.size() - 1;
    std::size_t i = std::size_t(hash) & mask;
    while (m_slots[i].entry != 0)
        i = (i + 1) & mask;
    m_slots[i] = {entry, quint32(hash >> 32)};
}
