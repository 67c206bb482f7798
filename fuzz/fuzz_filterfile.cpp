// Filter files: arbitrary bytes as a ".flt" file applied to the station
// query, as the setup editor applies a group's filter.
// - The query is the base alone when the file's text is blank, otherwise the
//   base, " AND " and every line followed by CR LF.
// - The lines read from any file are written back and read again unchanged.

#include "FilterFile.h"
#include "FuzzSupport.h"

using Fuzz::expect;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString path = Fuzz::scratchFile(QStringLiteral("input.flt"));
    static const QString copy = Fuzz::scratchFile(QStringLiteral("copy.flt"));
    const QByteArray bytes = Fuzz::bytesOf(data, size);
    Fuzz::writeFile(path, bytes);

    const QString base = StationQueryBase;
    const QString query = ApplyFilterFile(base, path);
    QStringList lines;
    expect(ReadFilterLines(path, lines), "an existing file is read");
    for (const QString& line : lines)
        expect(!line.contains(u'\r') && !line.contains(u'\n'), "a line holds no line break", line);
    if (QString::fromLatin1(bytes).trimmed().isEmpty()) {
        expect(query == base, "a blank filter leaves the query alone", query);
    } else {
        expect(query == base + QStringLiteral(" AND ") + lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"),
               "the filter's lines are appended to the query", query);
    }

    expect(WriteFilterLines(copy, lines), "lines that were read can be written");
    QStringList reread;
    expect(ReadFilterLines(copy, reread) && reread == lines, "written lines read back unchanged");
    return 0;
}
