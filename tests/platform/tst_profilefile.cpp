#include "TestFiles.h"
#include "platform/Exception.h"
#include "platform/FileLock.h"
#include "platform/LockWait.h"
#include "platform/ProfileFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The text in UTF-16 with its byte-order mark, as Windows editors save it.
QByteArray utf16(const QString& text, QStringConverter::Encoding encoding = QStringConverter::Utf16LE)
{
    QStringEncoder encoder(encoding, QStringEncoder::Flag::WriteBom);
    return encoder(text);
}

} // namespace

class TestProfileFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void plantedInPlace_data();
    void plantedInPlace();
    void modes_data();
    void modes();
    void read_data();
    void read();
    void missingFileReadsDefaults();
    void longValueReadWhole();
    void integers_data();
    void integers();
    void booleans_data();
    void booleans();
    void write_data();
    void write();
    void writeUpdatesLookups();
    void writeKeepsChangesMadeByOthers();
    void sameSizeChangesByOthersKept_data();
    void sameSizeChangesByOthersKept();
    void upToDateOnlyPastTheClockStep_data();
    void upToDateOnlyPastTheClockStep();
    void refusedValues_data();
    void refusedValues();
    void readOnlyFolderLeavesFileUnchanged();
    void unreadableFileIsNotReplaced();
    void lockHeldByStoppedProgram_data();
    void lockHeldByStoppedProgram();
    void erase_data();
    void erase();
    void unpairedUtf16Refused();
    void vanishedFileWrittenWhole();

private:
    QString filePath() const { return m_dir->filePath(QStringLiteral("test.ini")); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestProfileFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestProfileFile::read_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QString>("expected"); // "<default>" when the key is not found

    const QByteArray basic = "[Main]\r\nName=Alpha\r\nEmpty=\r\n";
    QTest::newRow("exact") << basic << QByteArray("Main") << QByteArray("Name") << "Alpha";
    QTest::newRow("section case") << basic << QByteArray("MAIN") << QByteArray("Name") << "Alpha";
    QTest::newRow("key case") << basic << QByteArray("main") << QByteArray("nAmE") << "Alpha";
    QTest::newRow("empty value is not missing") << basic << QByteArray("Main") << QByteArray("Empty") << "";
    QTest::newRow("missing key") << basic << QByteArray("Main") << QByteArray("Other") << "<default>";
    QTest::newRow("missing section") << basic << QByteArray("Other") << QByteArray("Name") << "<default>";
    QTest::newRow("value trimmed") << QByteArray("[S]\nK= \ta, b  \n") << QByteArray("S") << QByteArray("K") << "a, b";
    QTest::newRow("value holds =") << QByteArray("[S]\nK=a=b\n") << QByteArray("S") << QByteArray("K") << "a=b";
    QTest::newRow("blanks around key and section")
        << QByteArray("  [ S ]  \n  K\t=v\n") << QByteArray("S") << QByteArray("K") << "v";
    QTest::newRow("first key wins") << QByteArray("[S]\nK=1\nk=2\n") << QByteArray("S") << QByteArray("K") << "1";
    QTest::newRow("first section wins") << QByteArray("[S]\nK=1\n[s]\nK=2\nL=3\n") << QByteArray("S") << QByteArray("L")
                                        << "<default>";
    QTest::newRow("comment is no key") << QByteArray("[S]\n;K=1\n") << QByteArray("S") << QByteArray(";K")
                                       << "<default>";
    QTest::newRow("line before any section")
        << QByteArray("K=1\n[S]\n") << QByteArray("") << QByteArray("K") << "<default>";
    QTest::newRow("last line without ending")
        << QByteArray("[S]\r\nK=last") << QByteArray("S") << QByteArray("K") << "last";
    QTest::newRow("key in later section")
        << QByteArray("[A]\nK=1\n[B]\nK=2\n") << QByteArray("B") << QByteArray("K") << "2";
    QTest::newRow("empty section name") << QByteArray("[]\nK=1\n") << QByteArray("") << QByteArray("K") << "1";
    QTest::newRow("utf-8 value") << QByteArray("[S]\nK=Zürich\n") << QByteArray("S") << QByteArray("K")
                                 << QStringLiteral("Zürich");
    QTest::newRow("windows-1252 value beside a utf-8 line")
        << QByteArray("[S]\nA=Zürich\nK=D\xE9"
                      "bit \x80 \x81\n")
        << QByteArray("S") << QByteArray("K") << QStringLiteral("Débit € \u0081");
    QTest::newRow("windows-1252 section and key names")
        << QByteArray("[Caf\xE9]\nN\xE9=1\n") << QByteArray("Café") << QByteArray("Né") << "1";
    QTest::newRow("utf-8 mark passed over")
        << QByteArray("\xEF\xBB\xBF[S]\r\nK=1\r\n") << QByteArray("S") << QByteArray("K") << "1";
    QTest::newRow("utf-16le") << utf16(u"[S]\r\nK=Zürich\r\n"_s) << QByteArray("S") << QByteArray("K") << "Zürich";
    QTest::newRow("utf-16be") << utf16(u"[S]\nK=Zürich\n"_s, QStringConverter::Utf16BE) << QByteArray("S")
                              << QByteArray("K") << "Zürich";
}

void TestProfileFile::read()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QString, expected);
    TestFiles::write(filePath(), content);
    const ProfileFile file(filePath());
    QCOMPARE(file.readString(section, key, QStringLiteral("<default>")), expected);
}

void TestProfileFile::missingFileReadsDefaults()
{
    const ProfileFile file(filePath());
    QCOMPARE(file.readString("S", "K", QStringLiteral("d")), QStringLiteral("d"));
    QCOMPARE(file.readInteger("S", "K", 7), 7);
    QVERIFY(!QFile::exists(filePath()));
}

void TestProfileFile::longValueReadWhole()
{
    const QString value = QString(5000, u'x') + u'!';
    ProfileFile file(filePath());
    file.writeKeys("S", {{"K", value}});
    QCOMPARE(ProfileFile(filePath()).readString("S", "K"), value);
}

void TestProfileFile::integers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("decimal") << "42" << 42;
    QTest::newRow("negative") << "-12" << -12;
    QTest::newRow("blanks") << " 7 " << 7;
    QTest::newRow("hex") << "0x4" << 4;
    QTest::newRow("hex upper") << "0X1f" << 31;
    QTest::newRow("hex all bits") << "0xFFFFFFFF" << -1;
    QTest::newRow("hex too wide") << "0x100000000" << 99;
    QTest::newRow("hex prefix alone") << "0x" << 99;
    QTest::newRow("hex bad digit") << "0x1g" << 99;
    QTest::newRow("letters") << "abc" << 99;
    QTest::newRow("empty") << "" << 99;
    QTest::newRow("trailing text") << "12abc" << 99;
    QTest::newRow("beyond 32 bits") << "2147483648" << 99;
    QTest::newRow("fraction") << "1.5" << 99;
}

void TestProfileFile::integers()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(ProfileFile::parseInteger(text.toUtf8(), 99), expected);
    TestFiles::write(filePath(), "[S]\nK=" + text.toUtf8() + "\n");
    QCOMPARE(ProfileFile(filePath()).readInteger("S", "K", 99), expected);
}

void TestProfileFile::booleans_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("defaultValue");
    QTest::addColumn<bool>("expected");
    QTest::newRow("one") << QByteArray("[S]\nB=1\n") << false << true;
    QTest::newRow("any non-zero") << QByteArray("[S]\nB=-3\n") << false << true;
    QTest::newRow("zero") << QByteArray("[S]\nB=0\n") << true << false;
    QTest::newRow("missing, default true") << QByteArray("[S]\n") << true << true;
    QTest::newRow("malformed, default false") << QByteArray("[S]\nB=yes\n") << false << false;
    QTest::newRow("malformed, default true") << QByteArray("[S]\nB=no\n") << true << true;
}

void TestProfileFile::booleans()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, defaultValue);
    QFETCH(bool, expected);
    TestFiles::write(filePath(), content);
    QCOMPARE(ProfileFile(filePath()).readBool("S", "B", defaultValue), expected);
}

void TestProfileFile::write_data()
{
    QTest::addColumn<QByteArray>("before"); // "<none>": no file
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("creates the file with CRLF")
        << QByteArray("<none>") << QByteArray("S") << QByteArray("K") << "v" << QByteArray("[S]\r\nK=v\r\n");
    QTest::newRow("replaces in place, keeps the key's spelling")
        << QByteArray("[s]\r\nkey = old\r\nnext=1\r\n") << QByteArray("S") << QByteArray("KEY") << "new"
        << QByteArray("[s]\r\nkey =new\r\nnext=1\r\n");
    QTest::newRow("new key at the end of its section, before blank lines")
        << QByteArray("[A]\nx=1\n\n[B]\ny=2\n") << QByteArray("a") << QByteArray("z") << "3"
        << QByteArray("[A]\nx=1\nz=3\n\n[B]\ny=2\n");
    QTest::newRow("new key into an empty section") << QByteArray("[A]\r\n[B]\r\n") << QByteArray("A") << QByteArray("k")
                                                   << "v" << QByteArray("[A]\r\nk=v\r\n[B]\r\n");
    QTest::newRow("new section at the end")
        << QByteArray("; head\r\n[A]\r\nx=1\r\n") << QByteArray("B") << QByteArray("y") << "2"
        << QByteArray("; head\r\n[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
    QTest::newRow("new section after a last line without ending")
        << QByteArray("[A]\nx=1") << QByteArray("B") << QByteArray("y") << "2" << QByteArray("[A]\nx=1\n[B]\ny=2\n");
    QTest::newRow("new key after a last line without ending")
        << QByteArray("[A]\nx=1") << QByteArray("A") << QByteArray("y") << "2" << QByteArray("[A]\nx=1\ny=2\n");
    QTest::newRow("replace on a last line without ending")
        << QByteArray("[A]\r\nx=1") << QByteArray("A") << QByteArray("x") << "22" << QByteArray("[A]\r\nx=22");
    QTest::newRow("mixed endings and foreign lines kept")
        << QByteArray("# tool\n[Other]\r\nk=1 ; note\n\n[A]\r\nx=1\r\n  \r\n;c\n[Z]\nq=\n") << QByteArray("A")
        << QByteArray("x") << "2" << QByteArray("# tool\n[Other]\r\nk=1 ; note\n\n[A]\r\nx=2\r\n  \r\n;c\n[Z]\nq=\n");
    QTest::newRow("writes only the first of two same-named sections")
        << QByteArray("[A]\nx=1\n[a]\nx=1\n") << QByteArray("A") << QByteArray("x") << "9"
        << QByteArray("[A]\nx=9\n[a]\nx=1\n");
    QTest::newRow("empty value") << QByteArray("[A]\nx=1\n") << QByteArray("A") << QByteArray("x") << ""
                                 << QByteArray("[A]\nx=\n");
    QTest::newRow("utf-8 value") << QByteArray("[A]\n") << QByteArray("A") << QByteArray("x") << "Zürich"
                                 << QByteArray("[A]\nx=Z\xc3\xbcrich\n");
    QTest::newRow("windows-1252 file keeps its code page") << QByteArray("[A]\r\nd=D\xE9"
                                                                         "bit\r\nx=1\r\n")
                                                           << QByteArray("A") << QByteArray("x") << "Grüße €"
                                                           << QByteArray("[A]\r\nd=D\xE9"
                                                                         "bit\r\nx=Gr\xFC\xDF"
                                                                         "e \x80\r\n");
    QTest::newRow("windows-1252 file, text beyond it in utf-8") << QByteArray("[A]\nd=D\xE9"
                                                                              "bit\n")
                                                                << QByteArray("A") << QByteArray("x") << "Ωmega"
                                                                << QByteArray("[A]\nd=D\xE9"
                                                                              "bit\nx=\xCE\xA9mega\n");
    QTest::newRow("windows-1252 bytes that would read as utf-8 go in utf-8")
        << QByteArray("[A]\nd=D\xE9"
                      "bit\n")
        << QByteArray("A") << QByteArray("x") << "Ã©"
        << QByteArray("[A]\nd=D\xE9"
                      "bit\nx=\xC3\x83\xC2\xA9\n");
    QTest::newRow("utf-8 mark kept") << QByteArray("\xEF\xBB\xBF[A]\r\nx=1\r\n") << QByteArray("A") << QByteArray("x")
                                     << "é" << QByteArray("\xEF\xBB\xBF[A]\r\nx=\xC3\xA9\r\n");
    QTest::newRow("utf-16 kept") << utf16(u"[A]\r\nd=Zürich\r\nx=1\r\n"_s) << QByteArray("A") << QByteArray("x") << "é"
                                 << utf16(u"[A]\r\nd=Zürich\r\nx=é\r\n"_s);
    QTest::newRow("names trimmed as on lookup")
        << QByteArray("[S]\nK=1\n") << QByteArray(" S\t") << QByteArray(" K ") << "2" << QByteArray("[S]\nK=2\n");
}

void TestProfileFile::write()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    if (before != "<none>")
        TestFiles::write(filePath(), before);
    ProfileFile file(filePath());
    file.writeKeys(section, {{key, value}});
    QCOMPARE(TestFiles::read(filePath()), after);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
             (QStringList{QStringLiteral("test.ini"), QStringLiteral("test.ini.lock")}));
}

void TestProfileFile::writeUpdatesLookups()
{
    ProfileFile file(filePath());
    file.writeKeys("S", {{"A", QStringLiteral("1")}, {"B", QStringLiteral("2")}});
    file.writeKeys("S", {{"B", QStringLiteral("3")}, {"C", QStringLiteral("4")}});
    QCOMPARE(file.readString("S", "A"), QStringLiteral("1"));
    QCOMPARE(file.readString("S", "B"), QStringLiteral("3"));
    QCOMPARE(file.readString("S", "C"), QStringLiteral("4"));
    QCOMPARE(TestFiles::read(filePath()), QByteArray("[S]\r\nA=1\r\nB=3\r\nC=4\r\n"));
}

void TestProfileFile::writeKeepsChangesMadeByOthers()
{
    TestFiles::write(filePath(), "[S]\nA=1\n");
    ProfileFile file(filePath());
    TestFiles::write(filePath(), "[S]\nA=1\n[Theirs]\nT=x\n");
    file.writeKeys("S", {{"B", QStringLiteral("2")}});
    QCOMPARE(TestFiles::read(filePath()), QByteArray("[S]\nA=1\nB=2\n[Theirs]\nT=x\n"));
}

void TestProfileFile::sameSizeChangesByOthersKept_data()
{
    QTest::addColumn<bool>("settled");  // the file's times older than any clock step when first read
    QTest::addColumn<bool>("ownWrite"); // another change of ours just before theirs
    QTest::addColumn<bool>("replaced"); // theirs replaces the file rather than writing in place
    QTest::newRow("in place, within the clock step of our read") << false << false << false;
    QTest::newRow("in place, on a settled file") << true << false << false;
    QTest::newRow("in place, right after our own write") << true << true << false;
    QTest::newRow("replaced, on a settled file") << true << false << true;
}

// A write that skips re-reading an untouched file must still see a change of
// the same size, however soon it follows.
void TestProfileFile::sameSizeChangesByOthersKept()
{
    QFETCH(bool, settled);
    QFETCH(bool, ownWrite);
    QFETCH(bool, replaced);
    TestFiles::write(filePath(), "[S]\r\nA=1\r\nB=2\r\n");
    if (settled)
        QTest::qSleep(150); // the change time cannot be set back
    ProfileFile file(filePath());
    if (ownWrite)
        file.writeKeys("S", ProfileFile::KeyValues{{"B", u"5"_s}});
    const QByteArray theirs = ownWrite ? "[S]\r\nA=9\r\nB=5\r\n" : "[S]\r\nA=9\r\nB=2\r\n";
    if (replaced) {
        TestFiles::write(filePath() + u".new"_s, theirs);
        QVERIFY(QFile::remove(filePath()) && QFile::rename(filePath() + u".new"_s, filePath()));
    } else {
        TestFiles::write(filePath(), theirs);
    }
    file.writeKeys("S", ProfileFile::KeyValues{{"B", u"3"_s}});
    QCOMPARE(TestFiles::read(filePath()), QByteArray("[S]\r\nA=9\r\nB=3\r\n"));
    QCOMPARE(file.readString("S", "A"), u"9"_s);
}

void TestProfileFile::upToDateOnlyPastTheClockStep_data()
{
    QTest::addColumn<bool>("wholeSeconds"); // the modification time as a coarse clock keeps it
    QTest::addColumn<bool>("upToDate");
    QTest::newRow("fine times") << false << true;
    QTest::newRow("whole seconds") << true << false;
}

// Whole seconds may come from a file system that keeps no more: a write in
// the same second would leave the same times, so only a stamp two seconds
// old proves a file unchanged there.
void TestProfileFile::upToDateOnlyPastTheClockStep()
{
    QFETCH(bool, wholeSeconds);
    // A fine clock, too, lands on a whole second now and then.
    struct stat status = {};
    for (int tries = 0; tries < 5 && status.st_mtim.tv_nsec == 0; ++tries) {
        TestFiles::write(filePath(), "[S]\r\nA=1\r\n");
        QCOMPARE(::stat(QFile::encodeName(filePath()).constData(), &status), 0);
    }
    if (wholeSeconds) {
        const timespec times[2] = {{0, UTIME_OMIT}, {::time(nullptr), 0}};
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(filePath()).constData(), times, 0), 0);
    }
    QTest::qSleep(150);
    const ProfileFile file(filePath());
    QTEST(file.isUpToDate(), "upToDate");
}

void TestProfileFile::refusedValues_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("line feed in value") << QByteArray("S") << QByteArray("K") << "a\nb";
    QTest::newRow("carriage return in value") << QByteArray("S") << QByteArray("K") << "a\r[Injected]";
    QTest::newRow("NUL in value") << QByteArray("S") << QByteArray("K") << QString(QStringLiteral("a") + QChar(0));
    QTest::newRow("= in key") << QByteArray("S") << QByteArray("K=1") << "v";
    QTest::newRow("line feed in key") << QByteArray("S") << QByteArray("K\nX") << "v";
    QTest::newRow("empty key") << QByteArray("S") << QByteArray("") << "v";
    QTest::newRow("] in section") << QByteArray("S]x") << QByteArray("K") << "v";
    QTest::newRow("line feed in section") << QByteArray("S\n[T") << QByteArray("K") << "v";
}

void TestProfileFile::refusedValues()
{
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QString, value);
    const QByteArray before = "[S]\r\nOld=1\r\n";
    TestFiles::write(filePath(), before);
    ProfileFile file(filePath());
    try {
        file.writeKeys(section, {{"First", QStringLiteral("fine")}, {key, value}});
        QFAIL("the write was accepted");
    } catch (const EWriteError& error) {
        QCOMPARE(error.message(), QStringLiteral("Unable to write to %1").arg(filePath()));
    }
    QCOMPARE(TestFiles::read(filePath()), before);
}

void TestProfileFile::readOnlyFolderLeavesFileUnchanged()
{
    const QByteArray before = "[S]\r\nOld=1\r\n";
    TestFiles::write(filePath(), before);
    QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                                     QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup));
    ProfileFile file(filePath());
    {
        TestFiles::WithoutFilePrivileges unprivileged;
        QVERIFY_THROWS_EXCEPTION(EWriteError, file.writeKeys("S", {{"Old", QStringLiteral("2")}}));
        QVERIFY_THROWS_EXCEPTION(EWriteError, file.eraseSection("S"));
    }
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(TestFiles::read(filePath()), before);
    QCOMPARE(file.readString("S", "Old"), QStringLiteral("1"));
}

void TestProfileFile::unreadableFileIsNotReplaced()
{
    const QByteArray before = "[Keep]\r\nMe=1\r\n";
    TestFiles::write(filePath(), before);
    QVERIFY(QFile::setPermissions(filePath(), QFile::WriteOwner | QFile::WriteOther | QFile::WriteGroup));
    // The folder lets everybody write: only the unreadable file keeps the write out.
    QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                     QFile::ReadOther | QFile::WriteOther | QFile::ExeOther));
    {
        TestFiles::WithoutFilePrivileges unprivileged;
        ProfileFile file(filePath());
        QCOMPARE(file.readError(), u"permission denied"_s);
        try {
            file.writeKeys("S", {{"K", QStringLiteral("v")}});
            QFAIL("the write was accepted");
        } catch (const EWriteError& error) {
            QCOMPARE(error.message(), u"Unable to write to %1: permission denied"_s.arg(filePath()));
        }
    }
    QFile::setPermissions(filePath(), QFile::ReadOwner | QFile::WriteOwner);
    QCOMPARE(TestFiles::read(filePath()), before);
}

// A program stopped while it holds the lock delays a reader or a writer
// only until the deadline or a cancel; nothing is written, and both say
// which lock file is held.
void TestProfileFile::lockHeldByStoppedProgram_data()
{
    QTest::addColumn<bool>("write");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("reason");
    QTest::newRow("write, deadline") << true << false << u"its lock LOCK is held by another program (process PID)"_s;
    QTest::newRow("read, deadline") << false << false << u"its lock LOCK is held by another program (process PID)"_s;
    QTest::newRow("write, cancelled") << true << true << u"the wait for its lock LOCK was cancelled"_s;
    QTest::newRow("read, cancelled") << false << true << u"the wait for its lock LOCK was cancelled"_s;
}

void TestProfileFile::lockHeldByStoppedProgram()
{
    QFETCH(bool, write);
    QFETCH(bool, cancel);
    QFETCH(QString, reason);
    const QByteArray before = "[S]\r\nK=1\r\n";
    TestFiles::write(filePath(), before);
    ProfileFile file(filePath());
    TestFiles::StoppedLockHolder holder(FileLock::lockPath(filePath()));
    QVERIFY(holder.isHolding());
    LockWait::setDeadlineMs(cancel ? LockWait::DefaultDeadlineMs : 300);
    std::unique_ptr<QThread> canceller(QThread::create([] {
        QThread::msleep(200);
        LockWait::cancelAll();
    }));
    if (cancel)
        canceller->start();
    QString message;
    if (write) {
        try {
            file.writeKeys("S", {{"K", u"2"_s}});
        } catch (const EWriteError& error) {
            message = error.message();
        }
    } else {
        QVERIFY(!file.reread());
        QVERIFY(file.readAbandoned());
        message = file.readError();
    }
    canceller->wait();
    LockWait::setDeadlineMs(LockWait::DefaultDeadlineMs);
    reason.replace(u"LOCK"_s, FileLock::lockPath(filePath())).replace(u"PID"_s, QString::number(holder.pid()));
    QVERIFY2(message.contains(reason), qPrintable(message));
    QCOMPARE(TestFiles::read(filePath()), before);
    holder.release();
    QVERIFY(file.reread());
    QCOMPARE(file.readString("S", "K"), u"1"_s);
}

void TestProfileFile::erase_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("middle section") << QByteArray("[A]\r\na=1\r\n[B]\r\nb=1\r\n;x\r\n\r\n[C]\r\nc=1\r\n")
                                    << QByteArray("b") << QByteArray("[A]\r\na=1\r\n[C]\r\nc=1\r\n");
    QTest::newRow("last section") << QByteArray("[A]\na=1\n[B]\nb=1") << QByteArray("B") << QByteArray("[A]\na=1\n");
    QTest::newRow("missing section") << QByteArray("[A]\na=1\n") << QByteArray("Z") << QByteArray("[A]\na=1\n");
    QTest::newRow("first of two") << QByteArray("[A]\na=1\n[a]\na=2\n") << QByteArray("A") << QByteArray("[a]\na=2\n");
}

void TestProfileFile::unpairedUtf16Refused()
{
    // A high surrogate without its low half cannot come back from text.
    const QByteArray before = utf16(u"[A]\r\nx=1\r\n"_s) + QByteArray("\x00\xD8", 2);
    TestFiles::write(filePath(), before);
    ProfileFile file(filePath());
    try {
        file.writeKeys("A", {{"x", QStringLiteral("2")}});
        QFAIL("the write was accepted");
    } catch (const EWriteError& error) {
        QVERIFY2(error.message().contains(QLatin1String("UTF-16")), qPrintable(error.message()));
    }
    QCOMPARE(TestFiles::read(filePath()), before);
}

void TestProfileFile::vanishedFileWrittenWhole()
{
    TestFiles::write(filePath(), "; kept\n[A]\nx=1\n[S]\nK=1\n");
    ProfileFile file(filePath());
    QVERIFY(QFile::remove(filePath()));
    file.writeKeys("S", {{"K", QStringLiteral("2")}});
    QVERIFY(file.restoresVanishedFile());
    QCOMPARE(TestFiles::read(filePath()), QByteArray("; kept\n[A]\nx=1\n[S]\nK=2\n"));
}

void TestProfileFile::erase()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, after);
    TestFiles::write(filePath(), before);
    ProfileFile file(filePath());
    file.eraseSection(section);
    QCOMPARE(TestFiles::read(filePath()), after);
    QVERIFY(!file.value(section, "b").has_value());
}

// What another user of a shared folder may put in the file's place.
void TestProfileFile::plantedInPlace_data()
{
    QTest::addColumn<QString>("planted");
    QTest::addColumn<QString>("refusal"); // of a write; empty: it goes through
    QTest::newRow("link of another user") << "foreign link"
                                          << "it is a link owned by another user";
    QTest::newRow("own link") << "own link"
                              << "";
    QTest::newRow("FIFO") << "fifo"
                          << "it is not a regular file";
    QTest::newRow("folder") << "folder"
                            << "it is not a regular file";
}

void TestProfileFile::plantedInPlace()
{
    QFETCH(QString, planted);
    QFETCH(QString, refusal);
    const QString target = m_dir->filePath(QStringLiteral("victim"));
    TestFiles::write(target, "[S]\nK=1\n");
    if (!TestFiles::plant(filePath(), target, planted))
        QSKIP("giving a link to another user needs root");
    QElapsedTimer timer;
    timer.start();
    ProfileFile file(filePath()); // must not wait on a FIFO
    QString raised;
    try {
        file.writeKeys("S", {{"K", QStringLiteral("2")}});
    } catch (const EWriteError& error) {
        raised = error.message();
    }
    QVERIFY2(timer.elapsed() < 2000, "the file waited on what was planted");
    QCOMPARE(raised,
             refusal.isEmpty() ? QString() : QStringLiteral("Unable to write to %1: %2").arg(filePath(), refusal));
    QCOMPARE(TestFiles::read(target), refusal.isEmpty() ? QByteArray("[S]\nK=2\n") : QByteArray("[S]\nK=1\n"));
}

void TestProfileFile::modes_data()
{
    QTest::addColumn<int>("before"); // the mode of the file there; 0: none
    QTest::addColumn<int>("after");
    QTest::newRow("new file: owner and group") << 0 << 0660;
    QTest::newRow("existing file keeps its mode") << 0604 << 0604;
}

void TestProfileFile::modes()
{
    QFETCH(int, before);
    QFETCH(int, after);
    if (before != 0) {
        TestFiles::write(filePath(), "[S]\n");
        QCOMPARE(::chmod(QFile::encodeName(filePath()).constData(), mode_t(before)), 0);
    }
    const mode_t oldMask = ::umask(022);
    ProfileFile(filePath()).writeKeys("S", {{"K", QStringLiteral("1")}});
    ::umask(oldMask);
    struct stat info;
    QCOMPARE(::stat(QFile::encodeName(filePath()).constData(), &info), 0);
    QCOMPARE(int(info.st_mode & 0777), after);
}

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
