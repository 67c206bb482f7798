// Filter files: arbitrary bytes as a ".flt" file applied to the station
// query, as the setup editor applies a group's filter.
// - The query is the base alone when the file's text is blank; otherwise the
//   base, " AND (", every line followed by CR LF and ")" when the text can be
//   one condition, or an EFilterError when it cannot.
// - The lines read from any file are written back and read again unchanged.
// - A file over MaxFilterFileSize is neither read nor applied.

#include "FuzzSupport.h"
#include "config/FilterFile.h"

using Fuzz::expect;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString path = Fuzz::scratchFile(QStringLiteral("input.flt"));
    static const QString copy = Fuzz::scratchFile(QStringLiteral("copy.flt"));
    const QByteArray bytes = Fuzz::bytesOf(data, size);
    Fuzz::writeFile(path, bytes);

    const QString base = StationQueryBase;
    QString query;
    bool refused = false;
    try {
        query = ApplyFilterFile(base, path);
    } catch (const EFilterError&) {
        refused = true;
    }
    QStringList lines;
    if (bytes.size() > MaxFilterFileSize) {
        expect(refused && !ReadFilterLines(path, lines), "a file over the limit is refused");
        return 0;
    }
    expect(ReadFilterLines(path, lines), "an existing file is read");
    for (const QString& line : lines)
        expect(!line.contains(u'\r') && !line.contains(u'\n'), "a line holds no line break", line);
    const QString condition = lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    if (JoinFilterLines(lines).trimmed().isEmpty()) {
        expect(!refused && query == base, "a blank filter leaves the query alone", query);
    } else if (!FilterTextProblem(condition).isEmpty()) {
        expect(refused, "a text that cannot be one condition is refused", condition);
    } else {
        expect(!refused && query == base + QStringLiteral(" AND (") + condition + u')',
               "the filter's lines are one condition of the query", query);
    }

    expect(WriteFilterLines(copy, lines), "lines that were read can be written");
    QStringList reread;
    expect(ReadFilterLines(copy, reread) && reread == lines, "written lines read back unchanged");
    return 0;
}
