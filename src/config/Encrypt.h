#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringView>

#include <optional>

// A small byte-stream cipher. The service decrypts what this program stores,
// so the output must stay byte for byte what it has always been.
class TEncrypt : public QObject
{
    Q_OBJECT
    Q_PROPERTY(qint32 key READ key WRITE setKey)
    Q_PROPERTY(qint32 const1 READ const1 WRITE setConst1)
    Q_PROPERTY(qint32 const2 READ const2 WRITE setConst2)

public:
    static constexpr qint32 DefaultKey = 38411;
    static constexpr qint32 DefaultConst1 = 29174;
    static constexpr qint32 DefaultConst2 = 26953;

    explicit TEncrypt(QObject* owner = nullptr);

    // Source and destination may be the same buffer. Every call starts from
    // the key, so a buffer decrypts with a fresh object as well.
    void EncryptBuffer(const char* source, char* destination, int count) const;
    void DecryptBuffer(const char* source, char* destination, int count) const;

    qint32 key() const { return m_key; }
    void setKey(qint32 key) { m_key = key; }
    qint32 const1() const { return m_const1; }
    void setConst1(qint32 const1) { m_const1 = const1; }
    qint32 const2() const { return m_const2; }
    void setConst2(qint32 const2) { m_const2 = const2; }

private:
    quint32 nextState(quint32 state, quint8 encryptedByte) const;

    qint32 m_key = DefaultKey;
    qint32 m_const1 = DefaultConst1;
    qint32 m_const2 = DefaultConst2;
};

// The cipher applied to a password record: the password's bytes, ":", a time
// stamp, cut or padded with NUL bytes to RecordSize bytes. The bytes are
// Windows-1252 where the text fits it, else UTF-8, and read back the same way
// (CodePage), so that records from the Windows side decrypt to their text.
class TXEncrypt : public TEncrypt
{
    Q_OBJECT

public:
    static constexpr int RecordSize = 30;

    explicit TXEncrypt(QObject* owner = nullptr);

    QByteArray EncryptPassword(const QString& password) const;
    QByteArray EncryptPassword(const QString& password, const QDateTime& stamp) const;

    // The password is what precedes the first ":" of the record (empty when
    // there is none); the stamp is at most the 19 bytes after it.
    void DecryptPassword(const QByteArray& record, QString& password, QString& stamp) const;
};

// Base64 as the settings files hold it: characters that editors and copying
// tend to add (blanks, line breaks, quotes, some punctuation) are passed over;
// any other character outside the alphabet makes the text invalid. A "=" ends
// the data; the fill may be left out.
std::optional<QByteArray> DecodeBase64(QStringView text);
QString EncodeBase64(const QByteArray& bytes);

// The stored form of a password, or nothing when the record could not carry
// it whole (it contains ":" or its bytes fill the record).
std::optional<QString> ProtectPassword(const QString& password);
// The password of a stored form, or nothing when there is no stored password.
std::optional<QString> RecoverPassword(const QString& stored);
// The password of an encrypted record as the system-wide settings hold it.
std::optional<QString> RecoverPasswordRecord(const QByteArray& record);
