#include "SqlParameters.h"

#include "platform/AsciiText.h"

namespace {

bool isNameStart(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_';
}

bool isNamePart(QChar c)
{
    return isNameStart(c) || (c >= u'0' && c <= u'9');
}

// Where the text copied as it stands from i ends: a string literal or quoted
// identifier, a comment, a double colon, or else the one character. A doubled
// quote inside a literal is the quote itself, and reading it as a close
// followed by a new open gives the same span.
qsizetype verbatimEnd(const QString& sql, qsizetype i)
{
    const qsizetype size = sql.size();
    const QChar c = sql.at(i);
    const QChar next = i + 1 < size ? sql.at(i + 1) : QChar();
    if (c == u'\'' || c == u'"') {
        const qsizetype close = sql.indexOf(c, i + 1);
        return close < 0 ? size : close + 1;
    }
    if (c == u'-' && next == u'-') {
        const qsizetype close = sql.indexOf(u'\n', i + 2);
        return close < 0 ? size : close;
    }
    if (c == u'/' && next == u'*') {
        const qsizetype close = sql.indexOf(QLatin1String("*/"), i + 2);
        return close < 0 ? size : close + 2;
    }
    return c == u':' && next == u':' ? i + 2 : i + 1;
}

bool isParameterAt(const QString& sql, qsizetype i)
{
    return sql.at(i) == u':' && i + 1 < sql.size() && isNameStart(sql.at(i + 1));
}

} // namespace

SqlParameters::SqlParameters(const QString& sql)
{
    m_positionalSql.reserve(sql.size());
    qsizetype i = 0;
    while (i < sql.size()) {
        if (isParameterAt(sql, i)) {
            i = takeParameter(sql, i);
            continue;
        }
        const qsizetype end = verbatimEnd(sql, i);
        m_positionalSql += QStringView(sql).mid(i, end - i);
        i = end;
    }
}

qsizetype SqlParameters::takeParameter(const QString& sql, qsizetype colon)
{
    qsizetype end = colon + 1;
    while (end < sql.size() && isNamePart(sql.at(end)))
        ++end;
    const QString name = sql.mid(colon + 1, end - colon - 1);
    m_positions.append(name);
    if (indexOf(name) < 0)
        m_names.append(name);
    m_positionalSql += u'?';
    return end;
}

int SqlParameters::indexOf(const QString& name) const
{
    for (int i = 0; i < m_names.size(); ++i) {
        if (AsciiText::equalsFolded(m_names.at(i), name))
            return i;
    }
    return -1;
}
