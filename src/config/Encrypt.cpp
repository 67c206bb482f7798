#include "Encrypt.h"

#include "platform/CodePage.h"
#include "platform/FormatSettings.h"

namespace {

constexpr int StampLength = 19;

// Only bits 8 to 15 of the state reach the output.
quint8 keyByte(quint32 state)
{
    return quint8(state >> 8);
}

QString zeroPadded(int value, int width)
{
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

// Always month first, whatever the locale's field order; only the separators
// follow the regional settings. Built field by field because a separator may
// be a letter that a QDateTime format string would take for a field.
QString stampText(const QDateTime& stamp)
{
    const QDateTime local = stamp.toLocalTime();
    const QDate date = local.date();
    const QTime time = local.time();
    const QString dateSeparator = FormatSettings::current().dateSeparator();
    const QString timeSeparator = FormatSettings::current().timeSeparator();
    return zeroPadded(date.month(), 2) + dateSeparator + zeroPadded(date.day(), 2) + dateSeparator +
           zeroPadded(date.year(), 4) + QLatin1Char(' ') + zeroPadded(time.hour(), 2) + timeSeparator +
           zeroPadded(time.minute(), 2) + timeSeparator + zeroPadded(time.second(), 2);
}

// Characters that quoting, line wrapping or hand editing put into a stored
// value and that carry no data.
bool isPassedOver(QChar c)
{
    return QStringView(u" \t\r\n\"'$()[]{},;:-_\\*").contains(c);
}

// The six bits that a character of the Base64 alphabet stands for, or -1.
int sextetValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'A' && u <= u'Z')
        return u - u'A';
    if (u >= u'a' && u <= u'z')
        return u - u'a' + 26;
    if (u >= u'0' && u <= u'9')
        return u - u'0' + 52;
    if (u == u'+')
        return 62;
    if (u == u'/')
        return 63;
    return -1;
}

} // namespace

TEncrypt::TEncrypt(QObject* owner) : QObject(owner) {}

quint32 TEncrypt::nextState(quint32 state, quint8 encryptedByte) const
{
    return (state + encryptedByte) * quint32(m_const1) + quint32(m_const2);
}

void TEncrypt::EncryptBuffer(const char* source, char* destination, int count) const
{
    quint32 state = quint32(m_key);
    for (int i = 0; i < count; ++i) {
        const quint8 encrypted = quint8(source[i]) ^ keyByte(state);
        destination[i] = char(encrypted);
        state = nextState(state, encrypted);
    }
}

void TEncrypt::DecryptBuffer(const char* source, char* destination, int count) const
{
    quint32 state = quint32(m_key);
    for (int i = 0; i < count; ++i) {
        // Read before writing: destination may be the source itself.
        const quint8 encrypted = quint8(source[i]);
        destination[i] = char(encrypted ^ keyByte(state));
        state = nextState(state, encrypted);
    }
}

TXEncrypt::TXEncrypt(QObject* owner) : TEncrypt(owner) {}

QByteArray TXEncrypt::EncryptPassword(const QString& password) const
{
    return EncryptPassword(password, QDateTime::currentDateTime());
}

QByteArray TXEncrypt::EncryptPassword(const QString& password, const QDateTime& stamp) const
{
    // Windows-1252 where the password fits it, as a reader on the Windows side expects.
    const QByteArray plain =
        (CodePage::encodePreferring1252(password) + ':' + CodePage::encodePreferring1252(stampText(stamp)))
            .leftJustified(RecordSize, '\0', true);
    QByteArray record(RecordSize, Qt::Uninitialized);
    EncryptBuffer(plain.constData(), record.data(), RecordSize);
    return record;
}

void TXEncrypt::DecryptPassword(const QByteArray& record, QString& password, QString& stamp) const
{
    const QByteArray encrypted = record.left(RecordSize);
    QByteArray plain(encrypted.size(), Qt::Uninitialized);
    DecryptBuffer(encrypted.constData(), plain.data(), int(encrypted.size()));

    const qsizetype colon = plain.indexOf(':');
    if (colon < 0) {
        password.clear();
        stamp = CodePage::decode(plain.left(StampLength));
        return;
    }
    password = CodePage::decode(plain.left(colon));
    stamp = CodePage::decode(plain.mid(colon + 1, StampLength));
}

std::optional<QByteArray> DecodeBase64(QStringView text)
{
    QByteArray bytes;
    quint32 bits = 0;
    int pendingBits = 0;
    int sextets = 0;
    bool inFill = false;
    for (const QChar c : text) {
        if (isPassedOver(c))
            continue;
        if (c == QLatin1Char('=')) {
            inFill = true;
            continue;
        }
        const int value = sextetValue(c);
        if (value < 0 || inFill)
            return std::nullopt;
        bits = (bits << 6) | quint32(value);
        pendingBits += 6;
        ++sextets;
        if (pendingBits >= 8) {
            pendingBits -= 8;
            bytes.append(char(bits >> pendingBits));
        }
    }
    // A lone last sextet holds six bits, not enough for a byte: the text was cut.
    if (sextets % 4 == 1)
        return std::nullopt;
    return bytes;
}

QString EncodeBase64(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toBase64());
}

std::optional<QString> ProtectPassword(const QString& password)
{
    // The record silently cuts some passwords; rather than restate its limits
    // here, refuse whatever does not come back whole.
    const QByteArray record = TXEncrypt().EncryptPassword(password);
    if (RecoverPasswordRecord(record) != password)
        return std::nullopt;
    return EncodeBase64(record);
}

std::optional<QString> RecoverPassword(const QString& stored)
{
    const std::optional<QByteArray> record = DecodeBase64(stored);
    if (!record)
        return std::nullopt;
    return RecoverPasswordRecord(*record);
}

std::optional<QString> RecoverPasswordRecord(const QByteArray& record)
{
    // Decryption needs the whole record; anything shorter is no stored password.
    if (record.size() < TXEncrypt::RecordSize)
        return std::nullopt;
    QString password;
    QString stamp;
    TXEncrypt().DecryptPassword(record, password, stamp);
    return password;
}
