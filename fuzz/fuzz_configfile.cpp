// Arbitrary bytes loaded as the configuration file, the way the program loads
// it when it starts. The first group that loads is then saved back and the
// file loaded again:
// - a save that the file refuses leaves it byte for byte as it was;
// - a save that succeeds reads back as the group that was saved, and every
//   other group and the log settings read back as they were.

#include "FuzzSupport.h"
#include "GroupDifferences.h"
#include "config/ConfigFile.h"
#include "platform/DateTimeValue.h"
#include "platform/Exception.h"

using Fuzz::expect;

namespace {

// The name by which the file finds a group's section: blanks around it do
// not count, and a-z match A-Z.
QByteArray sectionKey(const QString& groupName)
{
    QByteArray name = groupName.toUtf8();
    while (!name.isEmpty() && (name.front() == ' ' || name.front() == '\t'))
        name.remove(0, 1);
    while (!name.isEmpty() && (name.back() == ' ' || name.back() == '\t'))
        name.chop(1);
    for (char& c : name) {
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    }
    return name;
}

// `exactInterval` is off for a group that went through a save: an interval
// of millions of days keeps its time of day only to the precision of a double,
// so only its whole days must come back.
void expectSameGroup(const TZizaVureGroupItem& expected, const TZizaVureGroupItem& actual, bool exactInterval)
{
    QStringList differences = groupDifferences(expected, actual);
    if (!exactInterval && DateTimeValue::wholeDays(expected.Interval) >= (1 << 20)) {
        differences.removeIf([](const QString& line) { return line.startsWith(QLatin1String("Interval: ")); });
        expect(DateTimeValue::wholeDays(actual.Interval) == DateTimeValue::wholeDays(expected.Interval), "IntervalDays",
               expected.GroupName);
    }
    expect(differences.isEmpty(), "a group reads back as it was",
           expected.GroupName + QLatin1String(": ") + differences.join(QLatin1String("; ")));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString path = Fuzz::scratchFile(QStringLiteral("QVZizaVure.QVS"));
    const QByteArray content = Fuzz::bytesOf(data, size);
    Fuzz::writeFile(path, content);

    ConfigFile config(path);
    // The history of a file that every input replaces is not what is tested.
    config.setKeepsHistory(false);
    TLogSettings settings;
    QStringList statusLines;
    const std::unique_ptr<TZizaVureGroups> groups =
        config.LoadConfiguration(settings, [&statusLines](const QString& line) { statusLines << line; });
    // Before the closing line, only fields that could not be read are named.
    expect(!statusLines.isEmpty() && statusLines.takeLast() == QLatin1String("Startup parameters loaded."),
           "loading ends with its status line");
    for (const QString& line : std::as_const(statusLines))
        expect(line.endsWith(QLatin1String(" cannot be read and takes its default until the group is saved.")),
               "a status line of the load names an unreadable field", line);
    if (groups->Count() == 0)
        return 0;

    const TZizaVureGroupItem& saved = *groups->Items(0);
    try {
        config.SaveGroupSection(saved);
    } catch (const EWriteError& error) {
        // A UTF-16 file that would not come back whole says why after the usual text.
        expect(error.message().startsWith(QStringLiteral("Unable to write to %1").arg(path)), "write error text",
               error.message());
        expect(Fuzz::readFile(path) == content, "a refused save leaves the file as it was");
        return 0;
    }

    ConfigFile reread(path);
    reread.setKeepsHistory(false);
    TLogSettings settingsAfter;
    const std::unique_ptr<TZizaVureGroups> after = reread.LoadConfiguration(settingsAfter, {});
    expect(settingsAfter.LogMessage == settings.LogMessage && settingsAfter.LogDetail == settings.LogDetail,
           "log settings survive a group save");
    // Only a later group that shares the saved section can start loading now.
    expect(after->Count() >= groups->Count(), "no group is lost by a save");
    expectSameGroup(saved, *after->Items(0), false);
    const QByteArray savedKey = sectionKey(saved.GroupName);
    for (int i = 1; i < groups->Count(); ++i) {
        if (sectionKey(groups->Items(i)->GroupName) != savedKey)
            expectSameGroup(*groups->Items(i), *after->Items(i), true);
    }
    return 0;
}
