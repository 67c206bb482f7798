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

} // namespace

SqlParameters::SqlParameters(const QString& sql)
{
    m_positionalSql.reserve(sql.size());
    const qsizetype size = sql.size();
    qsizetype i = 0;
    while (i < size) {
        const QChar c = sql.at(i);
        qsizetype end = i + 1;
        if (c == u'\'' || c == u'"') {
            // A doubled quote inside the literal is the quote itself, and
            // reading it as a close followed by a new open gives the same span.
            while (end < size && sql.at(end) != c)
                ++end;
            end = qMin(end + 1, size);
        } else if (c == u'-' && end < size && sql.at(end) == u'-') {
            while (end < size && sql.at(end) != u'\n')
                ++end;
        } else if (c == u'/' && end < size && sql.at(end) == u'*') {
            const qsizetype close = sql.indexOf(QLatin1String("*/"), end + 1);
            end = close < 0 ? size : close + 2;
        } else if (c == u':' && end < size && sql.at(end) == u':') {
            end = end + 1;
        } else if (c == u':' && end < size && isNameStart(sql.at(end))) {
            while (end < size && isNamePart(sql.at(end)))
                ++end;
            const QString name = sql.mid(i + 1, end - i - 1);
            m_positions.append(name);
            if (indexOf(name) < 0)
                m_names.append(name);
            m_positionalSql += u'?';
            i = end;
            continue;
        }
        m_positionalSql += QStringView(sql).mid(i, end - i);
        i = end;
    }
}

int SqlParameters::indexOf(const QString& name) const
{
    for (int i = 0; i < m_names.size(); ++i) {
        if (AsciiText::equalsFolded(m_names.at(i), name))
            return i;
    }
    return -1;
}
