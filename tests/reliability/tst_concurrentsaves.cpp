// Two writer processes save groups into one configuration file at the same
// time. Each save holds the file's lock from reading the file to renaming the
// new one into place, so neither may lose a section that the other saved.

#include "TestFiles.h"
#include "platform/ProfileFile.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
constexpr int SavesEach = 400;
}

class TestConcurrentSaves : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void noSaveLost();
};

void TestConcurrentSaves::noSaveLost()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("QVZizaVure.QVS"));
    const QByteArray head = "[DeraDivurir]\r\nGroupNames=\r\n";
    TestFiles::write(path, head);

    const QStringList prefixes{QStringLiteral("North:"), QStringLiteral("South:")};
    std::vector<std::unique_ptr<QProcess>> writers;
    for (const QString& prefix : prefixes) {
        auto writer = std::make_unique<QProcess>();
        writer->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        writer->start(QStringLiteral(GROUPWRITER_PATH),
                      {path, QStringLiteral("--own"), prefix, QString::number(SavesEach)});
        QVERIFY(writer->waitForStarted());
        writers.push_back(std::move(writer));
    }
    for (const auto& writer : writers) {
        QVERIFY(writer->waitForFinished(240000));
        QCOMPARE(writer->exitCode(), 0);
    }

    const ProfileFile file(path);
    int lost = 0;
    for (const QString& prefix : prefixes) {
        for (int n = 1; n <= SavesEach; ++n) {
            if (!file.value((prefix + QString::number(n)).toUtf8(), "POLLNumber"))
                ++lost;
        }
    }
    QCOMPARE(lost, 0);
    QVERIFY(TestFiles::read(path).startsWith(head));
}

QTEST_GUILESS_MAIN(TestConcurrentSaves)
#include "tst_concurrentsaves.moc"
