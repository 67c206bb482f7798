#include "FilterFile.h"

#include "platform/AsciiText.h"
#include "platform/CodePage.h"
#include "platform/SharedFolderFile.h"

#include <QCoreApplication>

#include <cerrno>

#include <array>

namespace {

// Each line is decoded on its own: a file edited on both sides may hold
// UTF-8 lines and Windows-1252 lines.
QStringList splitLines(const QByteArray& bytes)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype length = bytes.size();
    while (start < length) {
        qsizetype end = start;
        while (end < length && bytes.at(end) != '\r' && bytes.at(end) != '\n')
            ++end;
        lines.append(CodePage::decode(QByteArrayView(bytes).sliced(start, end - start)));
        if (end + 1 < length && bytes.at(end) == '\r' && bytes.at(end + 1) == '\n')
            ++end;
        start = end + 1;
    }
    return lines;
}

QString unusableFilter(const QString& fileName, const QString& reason)
{
    return QCoreApplication::translate("FilterFile", "The filter %1 cannot be used: %2.").arg(fileName, reason);
}

bool startsComment(QChar c, QChar next)
{
    return c == u'#' || (c == u'-' && next == u'-') || (c == u'/' && next == u'*') || (c == u'*' && next == u'/');
}

// The quote that ends a quoted span opened by `c`; none when `c` opens none.
// SQLite, SQL Server and MySQL read […] and `…` as names too.
QChar closingQuote(QChar c)
{
    if (c == u'\'' || c == u'"' || c == u'`')
        return c;
    return c == u'[' ? QChar(u']') : QChar();
}

// Where the quoted span that opens at `start` ends: the index after its
// closing quote, or -1 when it is left open. A doubled quote stands for
// itself; a "]" does not, since SQLite ends […] at the first "]".
qsizetype quotedSpanEnd(const QString& text, qsizetype start, QChar close)
{
    for (qsizetype i = start + 1; i < text.size(); ++i) {
        if (text.at(i) != close)
            continue;
        if (close == u']' || i + 1 == text.size() || text.at(i + 1) != close)
            return i + 1;
        ++i;
    }
    return -1;
}

// Why a character cannot stand where a database may read it as code: a
// statement or dollar-quote mark, a comment marker, a backslash (an escape in
// MySQL) or a "]" that no "[" opened (SQL Server reads "]]" inside […] as
// one "]").
QString codeMarkProblem(QChar c, QChar next)
{
    if (c == u';' || c == u'$' || c == u'\\' || c == u']')
        return QCoreApplication::translate("FilterFile", "it holds \"%1\" outside quoted text").arg(c);
    if (startsComment(c, next))
        return QCoreApplication::translate("FilterFile", "it holds a comment marker");
    return {};
}

// […] and `…` are code to the databases that do not read them as names (an
// array subscript, an operator), so they may hold nothing that is refused
// outside quoted text, and no quote, which those databases would read as one.
QString namePartProblem(QStringView inside)
{
    for (qsizetype i = 0; i < inside.size(); ++i) {
        const QChar c = inside.at(i);
        if (c == u'\\')
            return QCoreApplication::translate("FilterFile", "it holds a backslash in quoted text");
        if (!closingQuote(c).isNull())
            return QCoreApplication::translate("FilterFile", "it holds a quote inside a name in [ ] or ` `");
        QString problem = codeMarkProblem(c, i + 1 < inside.size() ? inside.at(i + 1) : QChar());
        if (!problem.isEmpty())
            return problem;
    }
    return {};
}

QString quotedSpanProblem(QStringView inside, QChar open)
{
    if (open == u'[' || open == u'`')
        return namePartProblem(inside);
    return inside.contains(u'\\') ? QCoreApplication::translate("FilterFile", "it holds a backslash in quoted text")
                                  : QString();
}

bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

// The words that join a second query to the station query or send its rows
// elsewhere. Each run of letters of a word counts, since MySQL reads "1UNION"
// as "1 UNION".
QString wordProblem(QStringView word)
{
    static constexpr std::array<QStringView, 4> refused = {u"UNION", u"INTERSECT", u"EXCEPT", u"INTO"};
    qsizetype start = 0;
    while (start < word.size()) {
        qsizetype end = start;
        while (end < word.size() && word.at(end).isLetter())
            ++end;
        const QStringView letters = word.sliced(start, end - start);
        for (const QStringView name : refused) {
            if (AsciiText::equalsFolded(letters, name))
                return QCoreApplication::translate("FilterFile", "it holds the word %1").arg(name);
        }
        start = end + 1;
    }
    return {};
}

qsizetype wordEnd(const QString& text, qsizetype start)
{
    qsizetype end = start;
    while (end < text.size() && isWordCharacter(text.at(end)))
        ++end;
    return end;
}

} // namespace

// The text is read as SQL tokens: quoted spans, words and marks. Parentheses
// count outside every quoted span.
QString FilterTextProblem(const QString& condition)
{
    int depth = 0;
    for (qsizetype i = 0; i < condition.size();) {
        const QChar c = condition.at(i);
        const QChar close = closingQuote(c);
        qsizetype next = i + 1;
        QString problem;
        if (!close.isNull()) {
            next = quotedSpanEnd(condition, i, close);
            if (next < 0)
                return QCoreApplication::translate("FilterFile", "a quote is left open");
            problem = quotedSpanProblem(QStringView(condition).sliced(i + 1, next - i - 2), c);
        } else if (isWordCharacter(c)) {
            next = wordEnd(condition, i);
            problem = wordProblem(QStringView(condition).sliced(i, next - i));
        } else {
            problem = codeMarkProblem(c, next < condition.size() ? condition.at(next) : QChar());
            depth += c == u'(' ? 1 : (c == u')' ? -1 : 0);
            if (depth < 0)
                return QCoreApplication::translate("FilterFile", "a \")\" closes more than was opened");
        }
        if (!problem.isEmpty())
            return problem;
        i = next;
    }
    return depth > 0 ? QCoreApplication::translate("FilterFile", "a \"(\" is left open") : QString();
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
    const std::optional<QByteArray> bytes = SharedFolderFile::read(fileName, MaxFilterFileSize);
    if (!bytes)
        return false;
    lines = splitLines(*bytes);
    return true;
}

bool WriteFilterLines(const QString& fileName, const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toUtf8() + "\r\n";
    return SharedFolderFile::replace(fileName, bytes, std::nullopt);
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
    if (!ReadFilterLines(filterFileName, lines)) {
        if (errno == ENOENT)
            return baseQuery;
        const QString reason =
            errno == EFBIG
                ? QCoreApplication::translate("FilterFile", "it is larger than %1 KiB").arg(MaxFilterFileSize / 1024)
                : SharedFolderFile::reason(errno);
        throw EFilterError(unusableFilter(filterFileName, reason));
    }
    const QString condition = JoinFilterLines(lines);
    if (condition.trimmed().isEmpty())
        return baseQuery;
    try {
        return NarrowStationQuery(baseQuery, condition);
    } catch (const EFilterError& error) {
        throw EFilterError(unusableFilter(filterFileName, error.message()));
    }
}
