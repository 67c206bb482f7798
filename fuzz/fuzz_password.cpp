// The stored password: arbitrary text through the Base64 reader and the
// password record, and arbitrary bytes through the record's decryption.
// - The reader agrees with Qt's strict decoder on every strictly formed text,
//   and reads back whatever its writer wrote.
// - A stored text yields a password exactly when it decodes to a whole
//   record, and that password has no ":".
// - A password that can be protected is recovered unchanged.

#include "FuzzSupport.h"
#include "config/Encrypt.h"

#include <QRegularExpression>

using Fuzz::expect;

namespace {

// Only the alphabet, in groups of four, with at most two "=" at the end.
bool isStrictBase64(const QString& text)
{
    static const QRegularExpression strict(QRegularExpression::anchoredPattern(
        QStringLiteral("(?:[A-Za-z0-9+/]{4})*(?:[A-Za-z0-9+/]{2}==|[A-Za-z0-9+/]{3}=)?")));
    return strict.match(text).hasMatch();
}

void checkBase64(const QString& text)
{
    const std::optional<QByteArray> decoded = DecodeBase64(text);
    if (isStrictBase64(text)) {
        const QByteArray::FromBase64Result qt =
            QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        expect(bool(qt), "Qt's strict decoder reads a strictly formed text", text);
        expect(decoded.has_value(), "a strictly formed text decodes", text);
        expect(*decoded == qt.decoded, "both decoders read the same bytes", text);
    }
    if (decoded)
        expect(DecodeBase64(EncodeBase64(*decoded)) == decoded, "the reader reads what the writer wrote", text);
}

void checkStoredPassword(const QString& stored)
{
    const std::optional<QByteArray> record = DecodeBase64(stored);
    const std::optional<QString> password = RecoverPassword(stored);
    expect(password.has_value() == (record && record->size() >= TXEncrypt::RecordSize),
           "a password comes exactly from a whole record", stored);
    if (password) {
        expect(!password->contains(u':'), "a recovered password has no colon", *password);
        expect(RecoverPasswordRecord(*record) == password, "the record gives the same password", stored);
    }
}

void checkRecord(const QByteArray& record)
{
    const TXEncrypt cipher;
    QString password;
    QString stamp;
    cipher.DecryptPassword(record, password, stamp);
    expect(!password.contains(u':'), "a decrypted password has no colon", password);
    expect(stamp.size() <= 19, "the stamp is at most 19 characters", stamp);

    QString shortPassword;
    QString shortStamp;
    cipher.DecryptPassword(record.left(TXEncrypt::RecordSize), shortPassword, shortStamp);
    expect(shortPassword == password && shortStamp == stamp, "only the record's first bytes count");

    QByteArray plain(record.size(), Qt::Uninitialized);
    cipher.DecryptBuffer(record.constData(), plain.data(), int(record.size()));
    QByteArray again(record.size(), Qt::Uninitialized);
    cipher.EncryptBuffer(plain.constData(), again.data(), int(plain.size()));
    expect(again == record, "encryption undoes decryption");
}

void checkProtection(const QString& password)
{
    const std::optional<QString> stored = ProtectPassword(password);
    if (!stored)
        return;
    expect(RecoverPassword(*stored) == password, "a protected password comes back unchanged", password);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = Fuzz::bytesOf(data, size);
    const QString text = QString::fromUtf8(bytes);
    checkBase64(text);
    checkStoredPassword(text);
    checkRecord(bytes);
    checkProtection(text);
    return 0;
}
