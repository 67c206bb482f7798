#include "Controls.h"
#include "OdbcFixture.h"
#include "app/PPLogin.h"
#include "widgets/MessageBox.h"

#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestPPLogin : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void controls();
    void listsTheKnownDataSources();
    void showSelectsAlias_data();
    void showSelectsAlias();
    void okWithoutAliasStaysOpen();
    void okTakesTheValues();
    void cancelKeepsTheValues();

private:
    static QStringList aliases() { return {u"QVDEMO"_s, u"Plant"_s, u"PLANT"_s}; }

    OdbcFixture m_odbc;
};

void TestPPLogin::initTestCase()
{
    QVERIFY(m_odbc.isValid());
    m_odbc.addDataSource(OdbcFixture::User, u"Known Source"_s, {{u"Driver"_s, u"SQLite3"_s}});
    MessageBox::setTestMode(true);
}

void TestPPLogin::init()
{
    MessageBox::clearShownTexts();
}

void TestPPLogin::controls()
{
    TfrmPPLogin dialog(nullptr, aliases());
    QCOMPARE(dialog.windowTitle(), u"Database Login"_s);
    QVERIFY(!(dialog.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(dialog.windowFlags() & Qt::WindowSystemMenuHint);
    QCOMPARE(dialog.layout()->sizeConstraint(), QLayout::SetFixedSize);
    QVERIFY(!child<QComboBox>(dialog, u"cboDBAlias"_s)->isEditable());
    QVERIFY(child<QPushButton>(dialog, u"btnOK"_s)->isDefault());

    const QList<std::array<QString, 3>> labels{{u"lblDBAlias"_s, u"&Database Alias:"_s, u"cboDBAlias"_s},
                                               {u"lblDBUserName"_s, u"&User Name:"_s, u"edtDBUserName"_s},
                                               {u"lblDBPassword"_s, u"&Password:"_s, u"edtDBPassword"_s}};
    for (const auto& [label, text, buddy] : labels) {
        QCOMPARE(child<QLabel>(dialog, label)->text(), text);
        QCOMPARE(child<QLabel>(dialog, label)->buddy(), child<QWidget>(dialog, buddy));
    }

    dialog.setPassword(u"secret"_s);
    dialog.show();
    QCOMPARE(child<QLineEdit>(dialog, u"edtDBPassword"_s)->displayText(), u"******"_s);
}

void TestPPLogin::listsTheKnownDataSources()
{
    TfrmPPLogin dialog;
    const QComboBox* combo = child<QComboBox>(dialog, u"cboDBAlias"_s);
    QCOMPARE(combo->count(), 1);
    QCOMPARE(combo->itemText(0), u"Known Source"_s);
    QCOMPARE(combo->currentIndex(), -1);
}

void TestPPLogin::showSelectsAlias_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<QString>("alias");
    QTest::addColumn<int>("selected");

    QTest::newRow("other case") << -1 << u"qvdemo"_s << 0;
    QTest::newRow("first of equal ones") << -1 << u"plant"_s << 1;
    QTest::newRow("no match, nothing chosen") << -1 << u"elsewhere"_s << -1;
    QTest::newRow("no match, choice stays") << 2 << u"elsewhere"_s << 2;
    QTest::newRow("empty value, choice stays") << 0 << QString() << 0;
}

void TestPPLogin::showSelectsAlias()
{
    QFETCH(int, before);
    QFETCH(QString, alias);
    QFETCH(int, selected);

    TfrmPPLogin dialog(nullptr, aliases());
    QComboBox* combo = child<QComboBox>(dialog, u"cboDBAlias"_s);
    combo->setCurrentIndex(before);
    dialog.setAlias(alias);
    dialog.setUserName(u"demo"_s);
    dialog.setPassword(u"pw"_s);
    dialog.show();
    QCOMPARE(combo->currentIndex(), selected);
    QCOMPARE(child<QLineEdit>(dialog, u"edtDBUserName"_s)->text(), u"demo"_s);
    QCOMPARE(child<QLineEdit>(dialog, u"edtDBPassword"_s)->text(), u"pw"_s);
}

void TestPPLogin::okWithoutAliasStaysOpen()
{
    TfrmPPLogin dialog(nullptr, aliases());
    dialog.setAlias(u"unknown"_s);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    child<QLineEdit>(dialog, u"edtDBUserName"_s)->setFocus();

    QTest::mouseClick(child<QPushButton>(dialog, u"btnOK"_s), Qt::LeftButton);
    QCOMPARE(MessageBox::shownTexts(), QStringList{u"Please select ODBC connection string"_s});
    QVERIFY(dialog.isVisible());
    QTRY_COMPARE(QApplication::focusWidget(), child<QWidget>(dialog, u"cboDBAlias"_s));
    QCOMPARE(dialog.alias(), u"unknown"_s);
}

void TestPPLogin::okTakesTheValues()
{
    TfrmPPLogin dialog(nullptr, aliases());
    dialog.setAlias(u"qvdemo"_s);
    dialog.setUserName(u"old"_s);
    dialog.show();
    child<QLineEdit>(dialog, u"edtDBUserName"_s)->setText(u"demo"_s);
    child<QLineEdit>(dialog, u"edtDBPassword"_s)->setText(u"p;w"_s);

    QTest::mouseClick(child<QPushButton>(dialog, u"btnOK"_s), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    QVERIFY(MessageBox::shownTexts().isEmpty());
    QCOMPARE(dialog.alias(), u"QVDEMO"_s);
    QCOMPARE(dialog.userName(), u"demo"_s);
    QCOMPARE(dialog.password(), u"p;w"_s);
}

void TestPPLogin::cancelKeepsTheValues()
{
    TfrmPPLogin dialog(nullptr, aliases());
    dialog.setAlias(u"Plant"_s);
    dialog.setUserName(u"demo"_s);
    dialog.show();
    child<QComboBox>(dialog, u"cboDBAlias"_s)->setCurrentIndex(0);
    child<QLineEdit>(dialog, u"edtDBUserName"_s)->setText(u"typed"_s);

    QTest::mouseClick(child<QPushButton>(dialog, u"btnCancel"_s), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.alias(), u"Plant"_s);
    QCOMPARE(dialog.userName(), u"demo"_s);
}

QTEST_MAIN(TestPPLogin)
#include "tst_pplogin.moc"
