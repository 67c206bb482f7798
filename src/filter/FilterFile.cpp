#include "FilterFile.h"

#include <QFile>
#include <QSaveFile>

namespace {

// A filter file is single-byte text; anything beyond Latin-1 would be
// written as something other than what the operator sees.
bool fitsLatin1(const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() > 0xff)
            return false;
    }
    return true;
}

QStringList splitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype length = text.size();
    while (start < length) {
        qsizetype end = start;
        while (end < length && text.at(end) != u'\r' && text.at(end) != u'\n')
            ++end;
        lines.append(text.mid(start, end - start));
        if (end + 1 < length && text.at(end) == u'\r' && text.at(end + 1) == u'\n')
            ++end;
        start = end + 1;
    }
    return lines;
}

bool startsComment(QChar c, QChar next)
{
    return c == u'#' || (c == u'-' && next == u'-') || (c == u'/' && next == u'*') || (c == u'*' && next == u'/');
}

} // namespace

QString FilterTextProblem(const QString& condition)
{
    int depth = 0;
    QChar quote; // the quote that opened the quoted text we are in, or none
    for (qsizetype i = 0; i < condition.size(); ++i) {
        const QChar c = condition.at(i);
        const QChar next = i + 1 < condition.size() ? condition.at(i + 1) : QChar();
        if (!quote.isNull()) {
            if (c == u'\\')
                return QStringLiteral("it holds a backslash in quoted text");
            if (c == quote && next == quote)
                ++i; // a doubled quote stands for itself
            else if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u';' || c == u'$') {
            return QStringLiteral("it holds \"%1\" outside quoted text").arg(c);
        } else if (startsComment(c, next)) {
            return QStringLiteral("it holds a comment marker");
        } else if (c == u'(') {
            ++depth;
        } else if (c == u')' && --depth < 0) {
            return QStringLiteral("a \")\" closes more than was opened");
        }
    }
    if (!quote.isNull())
        return QStringLiteral("a quote is left open");
    if (depth > 0)
        return QStringLiteral("a \"(\" is left open");
    return {};
}

QString NarrowStationQuery(const QString& baseQuery, const QString& condition)
{
    const QString problem = FilterTextProblem(condition);
    if (!problem.isEmpty())
        throw EFilterError(problem);
    return baseQuery + QLatin1String(" AND (") + condition + u')';
}

bool ReadFilterLines(const QString& fileName, QStringList& lines)
{
    lines.clear();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    lines = splitLines(QString::fromLatin1(bytes));
    return true;
}

bool WriteFilterLines(const QString& fileName, const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines) {
        if (!fitsLatin1(line))
            return false;
        bytes += line.toLatin1() + "\r\n";
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // commit() would put the file in place even when its buffered bytes could
    // not be written out (a full disk), so the flush is checked first.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString JoinFilterLines(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += line + QLatin1String("\r\n");
    return text;
}

QString ApplyFilterFile(const QString& baseQuery, const QString& filterFileName)
{
    QStringList lines;
    if (!ReadFilterLines(filterFileName, lines))
        return baseQuery;
    const QString condition = JoinFilterLines(lines);
    if (condition.trimmed().isEmpty())
        return baseQuery;
    try {
        return NarrowStationQuery(baseQuery, condition);
    } catch (const EFilterError& error) {
        throw EFilterError(QStringLiteral("The filter %1 cannot be used: %2.").arg(filterFileName, error.message()));
    }
}
