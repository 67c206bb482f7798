#include "FilterFile.h"

#include "platform/CodePage.h"
#include "platform/SharedFolderFile.h"

#include <QCoreApplication>

#include <cerrno>

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
                return QCoreApplication::translate("FilterFile", "it holds a backslash in quoted text");
            if (c == quote && next == quote)
                ++i; // a doubled quote stands for itself
            else if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u';' || c == u'$') {
            return QCoreApplication::translate("FilterFile", "it holds \"%1\" outside quoted text").arg(c);
        } else if (startsComment(c, next)) {
            return QCoreApplication::translate("FilterFile", "it holds a comment marker");
        } else if (c == u'(') {
            ++depth;
        } else if (c == u')' && --depth < 0) {
            return QCoreApplication::translate("FilterFile", "a \")\" closes more than was opened");
        }
    }
    if (!quote.isNull())
        return QCoreApplication::translate("FilterFile", "a quote is left open");
    if (depth > 0)
        return QCoreApplication::translate("FilterFile", "a \"(\" is left open");
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
