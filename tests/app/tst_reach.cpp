#include "OdbcFixture.h"
#include "app/AboutForm.h"
#include "app/HelpWindow.h"
#include "app/History.h"
#include "app/Main.h"
#include "app/PPLogin.h"
#include "app/PollForm.h"
#include "app/ReCalc.h"
#include "config/ConfigFile.h"
#include "db/DbDatabase.h"
#include "db/DbSession.h"
#include "filter/FilterSelect.h"
#include "platform/AppTranslation.h"
#include "setup/Setup.h"
#include "widgets/MessageBox.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <cmath>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

// Marks every text that goes through Qt's translation functions, so that a
// text shown without them stands out.
class PseudoTranslator : public QTranslator
{
public:
    QString translate(const char*, const char* source, const char*, int n) const override
    {
        QString text = QString::fromUtf8(source);
        if (n >= 0)
            text.replace(u"%n"_s, QString::number(n));
        return text.isEmpty() ? text : u"⟦"_s + text + u"⟧"_s;
    }
    bool isEmpty() const override { return false; }
};

// Controls whose texts come from files, the database or the service, or
// are values written back into them (keywords, function names).
const QStringList DataControls = {u"cbxGroup"_s,       u"cbxDateFrom"_s,    u"ComboBox1"_s,      u"cbxFuncName"_s,
                                  u"cboDBAlias"_s,     u"lblDataSource1"_s, u"AppNameLabel"_s,   u"PartNumberLabel"_s,
                                  u"cboFilterField"_s, u"cboFilterItem"_s,  u"cboFilterValue"_s, u"lblPollGroup"_s,
                                  u"lblPollTime"_s,    u"cbxFilterGroup"_s, u"cbxFilterUser"_s};

bool isDataText(const QString& text)
{
    return std::none_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
}

void addText(QStringList& unmarked, const QObject* owner, const QString& what, const QString& text)
{
    if (!text.isEmpty() && !isDataText(text) && !text.contains(u"⟦"_s))
        unmarked.append(owner->objectName() + u' ' + what + u": "_s + text);
}

void addMenuTexts(QStringList& unmarked, const QWidget* owner, const QList<QAction*>& actions)
{
    for (const QAction* action : actions) {
        addText(unmarked, owner, u"action"_s, action->text());
        if (action->menu())
            addMenuTexts(unmarked, owner, action->menu()->actions());
    }
}

QStringList unmarkedTexts(QWidget& window)
{
    QStringList unmarked;
    addText(unmarked, &window, u"title"_s, window.windowTitle());
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&window) || DataControls.contains(widget->objectName()))
            continue;
        addText(unmarked, widget, u"tooltip"_s, widget->toolTip());
        if (auto* label = qobject_cast<QLabel*>(widget))
            addText(unmarked, widget, u"text"_s, label->text());
        else if (auto* button = qobject_cast<QAbstractButton*>(widget))
            addText(unmarked, widget, u"text"_s, button->text());
        else if (auto* box = qobject_cast<QGroupBox*>(widget))
            addText(unmarked, widget, u"title"_s, box->title());
        else if (auto* edit = qobject_cast<QLineEdit*>(widget))
            addText(unmarked, widget, u"placeholder"_s, edit->placeholderText());
        else if (auto* menuBar = qobject_cast<QMenuBar*>(widget))
            addMenuTexts(unmarked, widget, menuBar->actions());
        else if (auto* combo = qobject_cast<QComboBox*>(widget); combo && !combo->isEditable())
            for (int i = 0; i < combo->count(); ++i)
                addText(unmarked, widget, u"item"_s, combo->itemText(i));
        else if (auto* tabs = qobject_cast<QTabWidget*>(widget))
            for (int i = 0; i < tabs->count(); ++i)
                addText(unmarked, widget, u"tab"_s, tabs->tabText(i));
    }
    return unmarked;
}

// Every control that takes the focus must tell a screen reader what it is.
QStringList unnamedControls(QWidget& window)
{
    QStringList unnamed;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&window) || widget->focusPolicy() == Qt::NoFocus || widget->focusProxy())
            continue;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        if (!accessible || accessible->text(QAccessible::Name).trimmed().isEmpty())
            unnamed.append(QString::fromLatin1(widget->metaObject()->className()) + u' ' + widget->objectName());
    }
    return unnamed;
}

} // namespace

class TestReach : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void everyTextTranslated_data() { windows(); }
    void everyTextTranslated();
    void everyControlNamed_data() { windows(); }
    void everyControlNamed();
    void promptsTranslated();
    void treeSaysWhatABadgeMeans();
    void connectionReadableOnDarkTheme_data();
    void connectionReadableOnDarkTheme();
    // Last: the catalogue stays installed.
    void germanCatalogue();

private:
    using Opener = std::function<std::unique_ptr<QWidget>()>;
    void windows();
    std::unique_ptr<QWidget> openMainWindow();

    OdbcFixture m_odbc;
    QTemporaryDir m_home;
    TDbSession m_session;
    std::unique_ptr<TDbDatabase> m_db;
    TZizaVureGroups m_groups;
    std::unique_ptr<ConfigFile> m_config;
    std::unique_ptr<PseudoTranslator> m_pseudo;
};

Q_DECLARE_METATYPE(std::function<std::unique_ptr<QWidget>()>)

void TestReach::initTestCase()
{
    QVERIFY(m_odbc.isValid());
    const QString sample = m_odbc.addSqliteDataSource(
        u"REACH"_s, {OdbcFixture::sampleFile(u"schema.sql"_s), OdbcFixture::sampleFile(u"data.sql"_s)});
    QVERIFY(!sample.isEmpty());
    m_session.open();
    m_db = std::make_unique<TDbDatabase>(m_session);
    m_db->setDatabaseName(u"REACH"_s);
    m_db->open();
    qputenv("QVZIZAVURE_HOME", m_home.path().toUtf8());
    qputenv("QVZIZAVURE_LOCK_DIR", m_home.path().toUtf8());
    m_config = std::make_unique<ConfigFile>(m_home.filePath(u"QVZizaVure.QVS"_s));
    auto group = std::make_unique<TZizaVureGroupItem>();
    group->PPGIndex = 1;
    group->FuncName = u"AVG"_s;
    // The windows follow the file, which holds the group as after a load.
    m_config->SaveGroupSection(*group);
    m_groups.AddGroup(std::move(group));
    m_config->SaveZizaVureessSection({}, m_groups);
}

void TestReach::init()
{
    MessageBox::setTestMode(true);
    MessageBox::clearShownTexts();
}

void TestReach::cleanup()
{
    if (m_pseudo)
        QCoreApplication::removeTranslator(m_pseudo.get());
    m_pseudo.reset();
    MessageBox::setTestMode(false);
}

std::unique_ptr<QWidget> TestReach::openMainWindow()
{
    auto window = std::make_unique<TfrmZizaVureGUI>();
    window->waitForConfiguration();
    return window;
}

void TestReach::windows()
{
    QTest::addColumn<Opener>("open");
    QTest::newRow("main window") << Opener([this] { return openMainWindow(); });
    QTest::newRow("setup editor") << Opener(
        [this] { return std::make_unique<TfrmOptionSetup>(nullptr, m_session, *m_db, m_groups, *m_config); });
    QTest::newRow("filter editor") << Opener(
        [this] { return std::make_unique<TfrmFilterSelect>(nullptr, m_session, *m_db); });
    QTest::newRow("recalculation") << Opener(
        [this] { return std::make_unique<TfrmReCalc>(nullptr, &m_session, m_db.get(), m_groups); });
    QTest::newRow("login") << Opener([] { return std::make_unique<TfrmPPLogin>(nullptr, QStringList{u"REACH"_s}); });
    QTest::newRow("group selection") << Opener([this] { return std::make_unique<TfrmPoll>(m_groups, nullptr); });
    QTest::newRow("about box") << Opener([] { return std::make_unique<TfmAbout>(nullptr); });
    QTest::newRow("help") << Opener([] { return std::make_unique<HelpWindow>(); });
    QTest::newRow("history") << Opener(
        [this] { return std::make_unique<TfrmHistory>(nullptr, m_config->path(), TfrmHistory::Restore()); });
}

void TestReach::everyTextTranslated()
{
    QFETCH(Opener, open);
    m_pseudo = std::make_unique<PseudoTranslator>();
    QCoreApplication::installTranslator(m_pseudo.get());
    const std::unique_ptr<QWidget> window = open();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

    QStringList unmarked = unmarkedTexts(*window);
    if (auto* memo = window->findChild<QPlainTextEdit*>(u"memoStatus"_s)) {
        // Each line is the date and time, four blanks, and the text.
        for (const QString& line : memo->toPlainText().split(u'\n', Qt::SkipEmptyParts))
            addText(unmarked, memo, u"line"_s, line.section(u"    "_s, 1));
    }
    for (const QString& prompt : MessageBox::shownTexts())
        addText(unmarked, window.get(), u"prompt"_s, prompt);
    QVERIFY2(unmarked.isEmpty(), qPrintable(unmarked.join(u'\n')));
}

void TestReach::everyControlNamed()
{
    QFETCH(Opener, open);
    const std::unique_ptr<QWidget> window = open();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const QStringList unnamed = unnamedControls(*window);
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u'\n')));
}

void TestReach::promptsTranslated()
{
    m_pseudo = std::make_unique<PseudoTranslator>();
    QCoreApplication::installTranslator(m_pseudo.get());
    TfrmOptionSetup setup(nullptr, m_session, *m_db, m_groups, *m_config);
    MessageBox::setNextAnswer(MessageBox::Cancel);
    setup.findChild<QAction*>(u"actDelete"_s)->trigger();
    TfrmPPLogin login(nullptr, {});
    QTest::mouseClick(login.findChild<QAbstractButton*>(u"btnOK"_s), Qt::LeftButton);
    QStringList unmarked;
    for (const QString& prompt : MessageBox::shownTexts())
        addText(unmarked, &login, u"prompt"_s, prompt);
    QCOMPARE(MessageBox::shownTexts().size(), 2);
    QVERIFY2(unmarked.isEmpty(), qPrintable(unmarked.join(u'\n')));
}

void TestReach::treeSaysWhatABadgeMeans()
{
    TfrmOptionSetup window(nullptr, m_session, *m_db, m_groups, *m_config);
    const QAbstractItemModel* tree = window.findChild<QAbstractItemView*>(u"tvwLeftTree"_s)->model();
    const QModelIndex station = tree->index(0, 0);
    QCOMPARE(station.data(Qt::AccessibleDescriptionRole).toString(), u"station"_s);
    QCOMPARE(tree->index(0, 0, station).data(Qt::AccessibleDescriptionRole).toString(), u"sensor"_s);
}

namespace {

// WCAG's contrast ratio of two colours, 1 to 21.
double contrast(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& colour) {
        const auto channel = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
    };
    const double la = luminance(a) + 0.05;
    const double lb = luminance(b) + 0.05;
    return std::max(la, lb) / std::min(la, lb);
}

} // namespace

void TestReach::connectionReadableOnDarkTheme_data()
{
    QTest::addColumn<QString>("dataSource");
    QTest::addColumn<QString>("state");
    QTest::newRow("connected") << u"REACH"_s << u"Connected"_s;
    QTest::newRow("not connected") << u"NO SUCH SOURCE"_s << u"Not connected"_s;
}

void TestReach::connectionReadableOnDarkTheme()
{
    QFETCH(QString, dataSource);
    QFETCH(QString, state);
    const QPalette light = QApplication::palette();
    QPalette dark = light;
    dark.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::WindowText, QColor(0xe0, 0xe0, 0xe0));
    QApplication::setPalette(dark);
    auto window = openMainWindow();
    static_cast<TfrmZizaVureGUI&>(*window).ConnectDatabase(dataSource, {}, {});
    const QLabel* label = window->findChild<QLabel*>(u"lblDataSource1"_s);
    const double ratio = contrast(label->palette().color(QPalette::WindowText), dark.color(QPalette::Window));
    QApplication::setPalette(light);
    QVERIFY2(ratio >= 4.5, qPrintable(QString::number(ratio)));
    QCOMPARE(label->toolTip(), state);
    QCOMPARE(QAccessible::queryAccessibleInterface(const_cast<QLabel*>(label))->text(QAccessible::Description), state);
}

void TestReach::germanCatalogue()
{
    QVERIFY(AppTranslation::install(QLocale(QLocale::German, QLocale::Germany)));
    auto window = openMainWindow();
    QCOMPARE(window->findChild<QLabel*>(u"StatusPanel0"_s)->text(), u"Dienst angehalten"_s);
    QCOMPARE(window->findChild<QMenuBar*>()->actions().constFirst()->text(), u"&Datei"_s);
    // Qt's own texts speak the same language.
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), u"Abbrechen"_s);
    // A language without a catalogue keeps the English texts.
    QVERIFY(!AppTranslation::install(QLocale(QLocale::Swahili)));
}

QTEST_MAIN(TestReach)
#include "tst_reach.moc"
