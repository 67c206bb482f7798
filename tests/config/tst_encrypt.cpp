#include "config/Encrypt.h"
#include "platform/FormatSettings.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>

namespace {

const QString SlashDate = QStringLiteral("MM/dd/yyyy");
const QString ColonTime = QStringLiteral("HH:mm:ss");

QDateTime sampleStamp()
{
    return QDateTime(QDate(2024, 3, 7), QTime(9, 5, 3));
}

QByteArray encrypted(const TEncrypt& cipher, const QByteArray& source)
{
    QByteArray result(source.size(), Qt::Uninitialized);
    cipher.EncryptBuffer(source.constData(), result.data(), int(source.size()));
    return result;
}

QByteArray decrypted(const TEncrypt& cipher, const QByteArray& source)
{
    QByteArray result(source.size(), Qt::Uninitialized);
    cipher.DecryptBuffer(source.constData(), result.data(), int(source.size()));
    return result;
}

// The cipher written out from its definition, but with a 16-bit state: only
// the low 16 bits of the state ever reach the output, so both must agree.
QByteArray referenceEncrypted(const QByteArray& source, qint32 key, qint32 const1, qint32 const2)
{
    QByteArray result;
    quint16 state = quint16(key);
    for (const char byte : source) {
        const quint8 cipherByte = quint8(byte) ^ quint8(state >> 8);
        result.append(char(cipherByte));
        state = quint16((quint32(state) + cipherByte) * quint16(const1) + quint16(const2));
    }
    return result;
}

QByteArray allByteValues()
{
    QByteArray bytes;
    for (int value = 0; value < 256; ++value)
        bytes.append(char(value));
    return bytes;
}

QByteArray randomBytes(quint32 seed, int count)
{
    QRandomGenerator generator(seed);
    QByteArray bytes(count, Qt::Uninitialized);
    for (char& byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

QString passwordOf(const QByteArray& record, QString* stamp = nullptr)
{
    QString password;
    QString stampText;
    TXEncrypt().DecryptPassword(record, password, stampText);
    if (stamp)
        *stamp = stampText;
    return password;
}

// Spelled out so that a failing comparison shows what came back.
QString describe(const std::optional<QString>& password)
{
    return password ? *password : QStringLiteral("<no password>");
}

} // namespace

class TestEncrypt : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void defaultProperties();
    void cipherRoundTrip_data();
    void cipherRoundTrip();
    void cipherKnownAnswer_data();
    void cipherKnownAnswer();

    void passwordRecord_data();
    void passwordRecord();
    void recordPadsWithNulBytes();
    void windowsRecord();
    void stampSeparators_data();
    void stampSeparators();
    void stampIsCurrentTime();
    void encryptionsSecondsApartDiffer();

    void decodeBase64_data();
    void decodeBase64();
    void encodeBase64_data();
    void encodeBase64();
    void base64RoundTrip();

    void storedForm_data();
    void storedForm();
    void protectRefusesWhatCannotComeBack_data();
    void protectRefusesWhatCannotComeBack();
    void recoverPassword_data();
    void recoverPassword();
    void recoverPasswordRecord_data();
    void recoverPasswordRecord();
};

void TestEncrypt::initTestCase()
{
    // Data functions build records too, and they run before init().
    FormatSettings::setCurrent(FormatSettings(SlashDate, ColonTime));
}

void TestEncrypt::init()
{
    FormatSettings::setCurrent(FormatSettings(SlashDate, ColonTime));
}

void TestEncrypt::defaultProperties()
{
    QObject owner;
    TEncrypt* cipher = new TEncrypt(&owner);
    QCOMPARE(cipher->parent(), &owner);

    QCOMPARE(cipher->key(), 38411);
    QCOMPARE(cipher->const1(), 29174);
    QCOMPARE(cipher->const2(), 26953);
    QCOMPARE(cipher->property("key").toInt(), 38411);
    QCOMPARE(cipher->property("const1").toInt(), 29174);
    QCOMPARE(cipher->property("const2").toInt(), 26953);

    QVERIFY(cipher->setProperty("key", 12345));
    QCOMPARE(cipher->key(), 12345);
    QCOMPARE(TXEncrypt().key(), 38411);
}

void TestEncrypt::cipherRoundTrip_data()
{
    QTest::addColumn<QByteArray>("source");

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("single byte") << QByteArray(1, 'x');
    QTest::newRow("all 256 byte values") << allByteValues();
    QTest::newRow("all 256 byte values, descending") << [] {
        QByteArray bytes = allByteValues();
        std::reverse(bytes.begin(), bytes.end());
        return bytes;
    }();
    QTest::newRow("30 zero bytes") << QByteArray(30, '\0');
    QTest::newRow("30 bytes of 0xFF") << QByteArray(30, '\xFF');
    QTest::newRow("random 30 bytes") << randomBytes(1, 30);
    QTest::newRow("random 30 bytes, other seed") << randomBytes(77, 30);
    QTest::newRow("random 4096 bytes") << randomBytes(20240307, 4096);
}

void TestEncrypt::cipherRoundTrip()
{
    QFETCH(QByteArray, source);

    const TEncrypt cipher;
    const QByteArray cipherText = encrypted(cipher, source);
    QCOMPARE(cipherText.size(), source.size());
    if (source.size() >= 16)
        QVERIFY(cipherText != source);

    QCOMPARE(decrypted(TEncrypt(), cipherText), source);
    // Every call starts from the key, whichever object makes it.
    QCOMPARE(encrypted(cipher, source), cipherText);
    QCOMPARE(encrypted(TEncrypt(), source), cipherText);

    QByteArray buffer = source;
    char* data = buffer.data();
    cipher.EncryptBuffer(data, data, int(buffer.size()));
    QCOMPARE(buffer, cipherText);
    cipher.DecryptBuffer(data, data, int(buffer.size()));
    QCOMPARE(buffer, source);
}

void TestEncrypt::cipherKnownAnswer_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<qint32>("key");
    QTest::addColumn<qint32>("const1");
    QTest::addColumn<qint32>("const2");

    QTest::newRow("zeros") << QByteArray(8, '\0') << 38411 << 29174 << 26953;
    QTest::newRow("text") << QByteArray("Password") << 38411 << 29174 << 26953;
    QTest::newRow("high bytes") << QByteArray(8, '\xFF') << 38411 << 29174 << 26953;
    QTest::newRow("all 256 byte values") << allByteValues() << 38411 << 29174 << 26953;
    QTest::newRow("small numbers") << QByteArray("abcdef") << 1 << 3 << 7;
    QTest::newRow("negative key and constants") << QByteArray("abcdef") << -1 << -29174 << -26953;
}

void TestEncrypt::cipherKnownAnswer()
{
    QFETCH(QByteArray, source);
    QFETCH(qint32, key);
    QFETCH(qint32, const1);
    QFETCH(qint32, const2);

    TEncrypt cipher;
    cipher.setKey(key);
    cipher.setConst1(const1);
    cipher.setConst2(const2);

    const QByteArray expected = referenceEncrypted(source, key, const1, const2);
    QCOMPARE(encrypted(cipher, source), expected);
    QCOMPARE(decrypted(cipher, expected), source);
}

void TestEncrypt::passwordRecord_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("expectedPassword");
    QTest::addColumn<QString>("expectedStamp");

    const QString wholeStamp = QStringLiteral("03/07/2024 09:05:03");
    QTest::newRow("10 characters, whole stamp fits")
        << QStringLiteral("abcdefghij") << QStringLiteral("abcdefghij") << wholeStamp;
    QTest::newRow("empty") << QString() << QString() << wholeStamp;
    QTest::newRow("15 characters, stamp cut")
        << QStringLiteral("abcdefghijklmno") << QStringLiteral("abcdefghijklmno") << QStringLiteral("03/07/2024 09:");
    QTest::newRow("29 characters, whole")
        << QString(29, QLatin1Char('x')) << QString(29, QLatin1Char('x')) << QString();
    QTest::newRow("30 characters, empty")
        << QStringLiteral("abcdefghijklmnopqrstuvwxyz0123") << QString() << QStringLiteral("abcdefghijklmnopqrs");
    QTest::newRow("colon in fifth position")
        << QStringLiteral("abcd:efgh") << QStringLiteral("abcd") << QStringLiteral("efgh:03/07/2024 09:");
    QTest::newRow("UTF-8 text") << QStringLiteral("pässwörd") << QStringLiteral("pässwörd") << wholeStamp;
}

void TestEncrypt::passwordRecord()
{
    QFETCH(QString, password);
    QFETCH(QString, expectedPassword);
    QFETCH(QString, expectedStamp);

    const QByteArray record = TXEncrypt().EncryptPassword(password, sampleStamp());
    QCOMPARE(record.size(), TXEncrypt::RecordSize);

    QString stamp;
    QCOMPARE(passwordOf(record, &stamp), expectedPassword);
    QCOMPARE(stamp, expectedStamp);
}

void TestEncrypt::recordPadsWithNulBytes()
{
    const QByteArray record = TXEncrypt().EncryptPassword(QStringLiteral("abc"), sampleStamp());
    const QByteArray expected = QByteArray("abc:03/07/2024 09:05:03") + QByteArray(7, '\0');
    QCOMPARE(decrypted(TEncrypt(), record), expected);
}

void TestEncrypt::windowsRecord()
{
    // Plain bytes in Windows-1252, as a protector on the Windows side makes them.
    const QByteArray plain =
        QByteArray("P\xE4ssw\xF6rd:03/07/2024 09:05:03").leftJustified(TXEncrypt::RecordSize, '\0');
    QByteArray record(plain.size(), Qt::Uninitialized);
    TEncrypt().EncryptBuffer(plain.constData(), record.data(), int(plain.size()));
    QCOMPARE(RecoverPasswordRecord(record), std::optional<QString>(QStringLiteral("Pässwörd")));
    QCOMPARE(TXEncrypt().EncryptPassword(QStringLiteral("Pässwörd"), sampleStamp()), record);
}

void TestEncrypt::stampSeparators_data()
{
    QTest::addColumn<QString>("dateFormat");
    QTest::addColumn<QString>("timeFormat");
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QString>("expectedStamp");

    QTest::newRow("slash and colon, zero padded")
        << SlashDate << ColonTime << sampleStamp() << QStringLiteral("03/07/2024 09:05:03");
    QTest::newRow("day above 12, afternoon")
        << SlashDate << ColonTime << QDateTime(QDate(2023, 11, 23), QTime(17, 45, 9))
        << QStringLiteral("11/23/2023 17:45:09");
    QTest::newRow("dash, year first locale")
        << QStringLiteral("yyyy-MM-dd") << ColonTime << sampleStamp() << QStringLiteral("03-07-2024 09:05:03");
    QTest::newRow("dots, day first locale") << QStringLiteral("dd.MM.yyyy") << QStringLiteral("HH.mm.ss")
                                            << sampleStamp() << QStringLiteral("03.07.2024 09.05.03");
}

void TestEncrypt::stampSeparators()
{
    QFETCH(QString, dateFormat);
    QFETCH(QString, timeFormat);
    QFETCH(QDateTime, when);
    QFETCH(QString, expectedStamp);

    FormatSettings::setCurrent(FormatSettings(dateFormat, timeFormat));
    const QByteArray record = TXEncrypt().EncryptPassword(QStringLiteral("pw"), when);

    QString stamp;
    QCOMPARE(passwordOf(record, &stamp), QStringLiteral("pw"));
    QCOMPARE(stamp, expectedStamp);
}

void TestEncrypt::stampIsCurrentTime()
{
    const QString format = QStringLiteral("MM/dd/yyyy HH:mm:ss");
    const QString before = QDateTime::currentDateTime().toString(format);
    const QByteArray record = TXEncrypt().EncryptPassword(QStringLiteral("pw"));
    const QString after = QDateTime::currentDateTime().toString(format);

    QString stamp;
    QCOMPARE(passwordOf(record, &stamp), QStringLiteral("pw"));
    QVERIFY2(stamp == before || stamp == after, qPrintable(stamp));
}

void TestEncrypt::encryptionsSecondsApartDiffer()
{
    const QString password = QStringLiteral("tenletters");
    const TXEncrypt encrypt;
    const QString first = EncodeBase64(encrypt.EncryptPassword(password, sampleStamp()));
    const QString second = EncodeBase64(encrypt.EncryptPassword(password, sampleStamp().addSecs(3)));

    QVERIFY(first != second);
    QCOMPARE(first.size(), 40);
    QCOMPARE(second.size(), 40);
    QCOMPARE(describe(RecoverPassword(first)), password);
    QCOMPARE(describe(RecoverPassword(second)), password);
}

void TestEncrypt::decodeBase64_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("empty") << QString() << true << QByteArray();
    QTest::newRow("one byte, filled") << QStringLiteral("Zg==") << true << QByteArray("f");
    QTest::newRow("two bytes, filled") << QStringLiteral("Zm8=") << true << QByteArray("fo");
    QTest::newRow("three bytes") << QStringLiteral("Zm9v") << true << QByteArray("foo");
    QTest::newRow("six bytes") << QStringLiteral("Zm9vYmFy") << true << QByteArray("foobar");
    QTest::newRow("fill left out") << QStringLiteral("Zm9vYg") << true << QByteArray("foob");
    QTest::newRow("plus and slash") << QStringLiteral("+/+/") << true << QByteArray("\xFB\xFF\xBF");
    QTest::newRow("blanks, tabs and line breaks")
        << QStringLiteral(" Zm9v\r\nYm Fy\t\n") << true << QByteArray("foobar");
    QTest::newRow("double quotes") << QStringLiteral("\"Zm9vYmFy\"") << true << QByteArray("foobar");
    QTest::newRow("apostrophes") << QStringLiteral("'Zm9v'") << true << QByteArray("foo");
    QTest::newRow("listed punctuation") << QStringLiteral("$(Zm)[9v]{Ym},F;y:-_\\*") << true << QByteArray("foobar");
    QTest::newRow("fill then blanks") << QStringLiteral("Zg== \r\n") << true << QByteArray("f");

    QTest::newRow("hash") << QStringLiteral("Zm9v#YmFy") << false << QByteArray();
    QTest::newRow("accented letter") << QStringLiteral("Zm9vé") << false << QByteArray();
    QTest::newRow("full stop") << QStringLiteral("Zm9v.YmFy") << false << QByteArray();
    QTest::newRow("single leftover sextet") << QStringLiteral("Zm9vY") << false << QByteArray();
    QTest::newRow("single sextet only") << QStringLiteral("Z") << false << QByteArray();
    QTest::newRow("fill in the middle") << QStringLiteral("Zg==Zm9v") << false << QByteArray();
    QTest::newRow("fill inside a group") << QStringLiteral("Zm=9v") << false << QByteArray();
}

void TestEncrypt::decodeBase64()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QByteArray, expected);

    const std::optional<QByteArray> decoded = DecodeBase64(text);
    QCOMPARE(decoded.has_value(), valid);
    if (valid)
        QCOMPARE(*decoded, expected);
}

void TestEncrypt::encodeBase64_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("one byte") << QByteArray("f") << QStringLiteral("Zg==");
    QTest::newRow("two bytes") << QByteArray("fo") << QStringLiteral("Zm8=");
    QTest::newRow("three bytes") << QByteArray("foo") << QStringLiteral("Zm9v");
    QTest::newRow("six bytes") << QByteArray("foobar") << QStringLiteral("Zm9vYmFy");
    QTest::newRow("plus and slash") << QByteArray("\xFB\xFF\xBF") << QStringLiteral("+/+/");
}

void TestEncrypt::encodeBase64()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);

    QCOMPARE(EncodeBase64(bytes), expected);
}

void TestEncrypt::base64RoundTrip()
{
    for (int size = 0; size <= 200; ++size) {
        const QByteArray bytes = randomBytes(quint32(1000 + size), size);
        const QString text = EncodeBase64(bytes);
        QCOMPARE(text.size(), (size + 2) / 3 * 4);
        QVERIFY(!text.contains(QLatin1Char('\n')));
        const std::optional<QByteArray> decoded = DecodeBase64(text);
        QVERIFY(decoded);
        QCOMPARE(*decoded, bytes);
    }
}

void TestEncrypt::storedForm_data()
{
    QTest::addColumn<QString>("password");

    QTest::newRow("short") << QStringLiteral("secret");
    QTest::newRow("empty") << QString();
    QTest::newRow("29 bytes") << QString(29, QLatin1Char('p'));
    QTest::newRow("Windows-1252, 15 bytes") << QString(14, QChar(0xE9)) + QLatin1Char('a');
    QTest::newRow("UTF-8, 29 bytes") << QString(14, QChar(0x3A9)) + QLatin1Char('a');
}

void TestEncrypt::storedForm()
{
    QFETCH(QString, password);

    const std::optional<QString> stored = ProtectPassword(password);
    QVERIFY(stored);
    QCOMPARE(stored->size(), 40);
    // 30 bytes fill whole groups of three, so no "=" appears.
    static const QRegularExpression alphabetOnly(QStringLiteral("^[A-Za-z0-9+/]{40}$"));
    QVERIFY2(alphabetOnly.match(*stored).hasMatch(), qPrintable(*stored));
    QCOMPARE(describe(RecoverPassword(*stored)), password);
}

void TestEncrypt::protectRefusesWhatCannotComeBack_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("29 bytes") << QString(29, QLatin1Char('x')) << true;
    QTest::newRow("14 two-byte characters and one more") << QString(14, QChar(0x3A9)) + QLatin1Char('a') << true;
    QTest::newRow("29 characters of Windows-1252") << QString(29, QChar(0xE9)) << true;
    QTest::newRow("colon inside") << QStringLiteral("abcd:efgh") << false;
    QTest::newRow("colon first") << QStringLiteral(":abc") << false;
    QTest::newRow("colon last") << QStringLiteral("abc:") << false;
    QTest::newRow("30 bytes") << QString(30, QLatin1Char('x')) << false;
    QTest::newRow("40 bytes") << QString(40, QLatin1Char('x')) << false;
    QTest::newRow("15 two-byte characters, 30 bytes") << QString(15, QChar(0x3A9)) << false;
    QTest::newRow("two-byte character cut at the end") << QString(28, QLatin1Char('x')) + QChar(0x3A9) << false;
}

void TestEncrypt::protectRefusesWhatCannotComeBack()
{
    QFETCH(QString, password);
    QFETCH(bool, accepted);

    const std::optional<QString> stored = ProtectPassword(password);
    QCOMPARE(stored.has_value(), accepted);
    if (accepted)
        QCOMPARE(describe(RecoverPassword(*stored)), password);
}

void TestEncrypt::recoverPassword_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("expected");

    const QString secret = QStringLiteral("secret");
    const QByteArray record = TXEncrypt().EncryptPassword(secret, sampleStamp());
    const QString text = EncodeBase64(record);

    QTest::newRow("stored form") << text << true << secret;
    QTest::newRow("quoted and wrapped") << QLatin1Char('"') + text.left(20) + QStringLiteral("\r\n") + text.mid(20) +
                                               QLatin1Char('"')
                                        << true << secret;
    QTest::newRow("more than 30 bytes") << EncodeBase64(record + QByteArray("extra")) << true << secret;
    QTest::newRow("empty") << QString() << false << QString();
    QTest::newRow("invalid Base64") << text.left(20) + QLatin1Char('#') + text.mid(20) << false << QString();
    QTest::newRow("29 bytes") << EncodeBase64(record.left(29)) << false << QString();
    QTest::newRow("3 bytes") << QStringLiteral("QUJD") << false << QString();
}

void TestEncrypt::recoverPassword()
{
    QFETCH(QString, stored);
    QFETCH(bool, found);
    QFETCH(QString, expected);

    const std::optional<QString> password = RecoverPassword(stored);
    QCOMPARE(password.has_value(), found);
    if (found)
        QCOMPARE(*password, expected);
}

void TestEncrypt::recoverPasswordRecord_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("expected");

    const QString secret = QStringLiteral("secret");
    const QByteArray record = TXEncrypt().EncryptPassword(secret, sampleStamp());

    QTest::newRow("30 bytes") << record << true << secret;
    QTest::newRow("31 bytes") << record + '\0' << true << secret;
    QTest::newRow("29 bytes") << record.left(29) << false << QString();
    QTest::newRow("empty") << QByteArray() << false << QString();
}

void TestEncrypt::recoverPasswordRecord()
{
    QFETCH(QByteArray, record);
    QFETCH(bool, found);
    QFETCH(QString, expected);

    const std::optional<QString> password = RecoverPasswordRecord(record);
    QCOMPARE(password.has_value(), found);
    if (found)
        QCOMPARE(*password, expected);
}

QTEST_GUILESS_MAIN(TestEncrypt)
#include "tst_encrypt.moc"
