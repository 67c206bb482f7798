#include "app/HelpWindow.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QSet>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTreeWidget>

namespace {

const QUrl HelpBase(QStringLiteral("qrc:/help/"));

QString readResource(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QString resourcePath(const QUrl& url)
{
    return QLatin1Char(':') + url.path();
}

QStringList helpPages()
{
    return QDir(QStringLiteral(":/help")).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
}

QStringList attributeValues(const QString& html, const QString& attributes)
{
    const QRegularExpression pattern(QStringLiteral("\\b(?:%1)\\s*=\\s*\"([^\"]*)\"").arg(attributes),
                                     QRegularExpression::CaseInsensitiveOption);
    QStringList values;
    for (const QRegularExpressionMatch& match : pattern.globalMatch(html))
        values.append(match.captured(1));
    return values;
}

QSet<QString> anchorsOf(const QString& html)
{
    const QStringList names = attributeValues(html, QStringLiteral("name|id"));
    return QSet<QString>(names.begin(), names.end());
}

// Why a link does not lead to an existing help page and anchor; empty when it does.
QString brokenReason(const QUrl& url)
{
    if (url.scheme() != QLatin1String("qrc"))
        return QStringLiteral("not a help page: ") + url.toString();
    const QString page = readResource(resourcePath(url));
    if (page.isEmpty())
        return QStringLiteral("no page ") + url.path();
    if (url.hasFragment() && !anchorsOf(page).contains(url.fragment()))
        return QStringLiteral("no anchor \"%1\" in %2").arg(url.fragment(), url.path());
    return {};
}

QList<HelpContentsEntry> contentsEntries()
{
    return parseHelpContents(readResource(QStringLiteral(":/help/contents.txt")));
}

QList<HelpKeyword> keywords()
{
    return parseHelpKeywords(readResource(QStringLiteral(":/help/keywords.txt")));
}

QTreeWidgetItem* findContentsItem(QTreeWidget* tree, const QString& title)
{
    const QList<QTreeWidgetItem*> found = tree->findItems(title, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

int depthOf(const QTreeWidgetItem* item)
{
    int depth = 0;
    for (const QTreeWidgetItem* parent = item->parent(); parent; parent = parent->parent())
        ++depth;
    return depth;
}

// The tree's items in the order in which they are shown when all are expanded.
QList<QTreeWidgetItem*> itemsInOrder(QTreeWidget* tree)
{
    QList<QTreeWidgetItem*> items;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        items.append(*it);
    return items;
}

} // namespace

class TestHelpWindow : public QObject
{
    Q_OBJECT

private:
    struct Controls
    {
        QTabWidget* tabs;
        QTreeWidget* contents;
        QLineEdit* indexFilter;
        QListWidget* index;
        QTextBrowser* browser;
    };

    static Controls controlsOf(HelpWindow& window)
    {
        Controls controls{window.findChild<QTabWidget*>(QStringLiteral("tabsHelp")),
                          window.findChild<QTreeWidget*>(QStringLiteral("treeContents")),
                          window.findChild<QLineEdit*>(QStringLiteral("edtIndexFilter")),
                          window.findChild<QListWidget*>(QStringLiteral("lstIndex")),
                          window.findChild<QTextBrowser*>(QStringLiteral("browserPage"))};
        return controls;
    }

private Q_SLOTS:
    void initTestCase()
    {
        // The window itself must make its pages available: nothing else in the
        // program registers them.
        HelpWindow window;
        QVERIFY(QFile::exists(QStringLiteral(":/help/index.html")));
        const Controls controls = controlsOf(window);
        QVERIFY(controls.tabs);
        QVERIFY(controls.contents);
        QVERIFY(controls.indexFilter);
        QVERIFY(controls.index);
        QVERIFY(controls.browser);
    }

    void parseContents_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("one entry") << QStringLiteral("0|Start|index.html")
                                   << QStringList{QStringLiteral("0/Start/index.html")};
        QTest::newRow("nested entries") << QStringLiteral("0|A|a.html\n1|B|a.html#b\n2|C|a.html#c\n0|D|d.html")
                                        << QStringList{QStringLiteral("0/A/a.html"), QStringLiteral("1/B/a.html#b"),
                                                       QStringLiteral("2/C/a.html#c"), QStringLiteral("0/D/d.html")};
        QTest::newRow("comments and blank lines")
            << QStringLiteral("# comment\n\n   \n0|A|a.html\n#0|B|b.html") << QStringList{QStringLiteral("0/A/a.html")};
        QTest::newRow("blanks around fields, CRLF")
            << QStringLiteral(" 0 | A title | a.html \r\n") << QStringList{QStringLiteral("0/A title/a.html")};
        QTest::newRow("too few fields") << QStringLiteral("0|A\n0|B|b.html")
                                        << QStringList{QStringLiteral("0/B/b.html")};
        QTest::newRow("too many fields") << QStringLiteral("0|A|a.html|x") << QStringList{};
        QTest::newRow("depth is no number") << QStringLiteral("x|A|a.html") << QStringList{};
        QTest::newRow("negative depth") << QStringLiteral("-1|A|a.html") << QStringList{};
        QTest::newRow("first entry not at top level") << QStringLiteral("1|A|a.html") << QStringList{};
        QTest::newRow("depth jumps two levels")
            << QStringLiteral("0|A|a.html\n2|B|b.html\n1|C|c.html")
            << QStringList{QStringLiteral("0/A/a.html"), QStringLiteral("1/C/c.html")};
        QTest::newRow("empty title") << QStringLiteral("0||a.html") << QStringList{};
        QTest::newRow("empty target") << QStringLiteral("0|A| ") << QStringList{};
        QTest::newRow("empty text") << QString() << QStringList{};
    }

    void parseContents()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);

        QStringList actual;
        for (const HelpContentsEntry& entry : parseHelpContents(text))
            actual.append(QStringLiteral("%1/%2/%3").arg(entry.depth).arg(entry.title, entry.target));
        QCOMPARE(actual, expected);
    }

    void parseKeywords_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("two keywords, one place")
            << QStringLiteral("Exit|menus.html#exit\nQuit|menus.html#exit")
            << QStringList{QStringLiteral("Exit/menus.html#exit"), QStringLiteral("Quit/menus.html#exit")};
        QTest::newRow("comments and blank lines")
            << QStringLiteral("# comment\n\nExit|menus.html") << QStringList{QStringLiteral("Exit/menus.html")};
        QTest::newRow("blanks around fields, CRLF") << QStringLiteral("  Exit command | menus.html \r\n")
                                                    << QStringList{QStringLiteral("Exit command/menus.html")};
        QTest::newRow("no separator") << QStringLiteral("Exit menus.html") << QStringList{};
        QTest::newRow("too many fields") << QStringLiteral("Exit|menus.html|x") << QStringList{};
        QTest::newRow("empty keyword") << QStringLiteral("|menus.html") << QStringList{};
        QTest::newRow("empty target") << QStringLiteral("Exit|") << QStringList{};
    }

    void parseKeywords()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);

        QStringList actual;
        for (const HelpKeyword& keyword : parseHelpKeywords(text))
            actual.append(keyword.keyword + QLatin1Char('/') + keyword.target);
        QCOMPARE(actual, expected);
    }

    void showTab_data()
    {
        QTest::addColumn<bool>("index");
        QTest::addColumn<QString>("expectedTab");

        QTest::newRow("showContents") << false << QStringLiteral("Contents");
        QTest::newRow("showIndex") << true << QStringLiteral("Index");
    }

    void showTab()
    {
        QFETCH(bool, index);
        QFETCH(QString, expectedTab);

        HelpWindow window;
        const Controls controls = controlsOf(window);
        // Start on the other tab, so that the call has to switch.
        controls.tabs->setCurrentIndex(index ? 0 : 1);

        if (index)
            window.showIndex();
        else
            window.showContents();

        QVERIFY(window.isVisible());
        QVERIFY(window.isWindow());
        QVERIFY(!window.isModal());
        QCOMPARE(window.windowTitle(), QStringLiteral("QV ZizaVure Help"));
        QCOMPARE(controls.tabs->tabText(controls.tabs->currentIndex()), expectedTab);
        if (index)
            QCOMPARE(window.focusWidget(), controls.indexFilter);
        // Nothing was shown before, so the first page of the contents is shown.
        QCOMPARE(window.currentPage(), HelpBase.resolved(QUrl(contentsEntries().first().target)));
    }

    void showContents_keepsThePageShown()
    {
        HelpWindow window;
        const QUrl page(QStringLiteral("qrc:/help/files.html#logfile"));
        controlsOf(window).browser->setSource(page);

        window.showContents();
        window.showIndex();

        QCOMPARE(window.currentPage(), page);
    }

    void contentsEntryResolves_data()
    {
        QTest::addColumn<QString>("target");
        int line = 0;
        for (const HelpContentsEntry& entry : contentsEntries())
            QTest::addRow("%d %s", ++line, qPrintable(entry.title)) << entry.target;
    }

    void contentsEntryResolves()
    {
        QFETCH(QString, target);
        QCOMPARE(brokenReason(HelpBase.resolved(QUrl(target))), QString());
    }

    void keywordResolves_data()
    {
        QTest::addColumn<QString>("target");
        int line = 0;
        for (const HelpKeyword& keyword : keywords())
            QTest::addRow("%d %s", ++line, qPrintable(keyword.keyword)) << keyword.target;
    }

    void keywordResolves()
    {
        QFETCH(QString, target);
        QCOMPARE(brokenReason(HelpBase.resolved(QUrl(target))), QString());
    }

    void pageLinkResolves_data()
    {
        QTest::addColumn<QUrl>("link");
        for (const QString& page : helpPages()) {
            const QUrl pageUrl = HelpBase.resolved(QUrl(page));
            for (const QString& href : attributeValues(readResource(resourcePath(pageUrl)), QStringLiteral("href")))
                QTest::addRow("%s -> %s", qPrintable(page), qPrintable(href)) << pageUrl.resolved(QUrl(href));
        }
    }

    void pageLinkResolves()
    {
        QFETCH(QUrl, link);
        QCOMPARE(brokenReason(link), QString());
    }

    void everyPageIsInTheContents_data()
    {
        QTest::addColumn<QString>("page");
        for (const QString& page : helpPages())
            QTest::newRow(qPrintable(page)) << page;
    }

    void everyPageIsInTheContents()
    {
        QFETCH(QString, page);
        bool listed = false;
        for (const HelpContentsEntry& entry : contentsEntries())
            listed = listed || (entry.depth == 0 && entry.target == page);
        QVERIFY2(listed, "a page that no top-level contents entry leads to cannot be found by browsing");
    }

    void contentsTreeNestsByDepth()
    {
        HelpWindow window;
        const QList<HelpContentsEntry> entries = contentsEntries();
        const QList<QTreeWidgetItem*> items = itemsInOrder(controlsOf(window).contents);

        QCOMPARE(items.size(), entries.size());
        int deepest = 0;
        for (int i = 0; i < items.size(); ++i) {
            QCOMPARE(items[i]->text(0), entries[i].title);
            QCOMPARE(depthOf(items[i]), entries[i].depth);
            deepest = qMax(deepest, entries[i].depth);
        }
        QVERIFY2(deepest >= 2, "the contents should use at least three levels");
    }

    void activatingContentsItemShowsPage_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("click") << QStringLiteral("click");
        QTest::newRow("double click") << QStringLiteral("double click");
        QTest::newRow("Enter") << QStringLiteral("enter");
    }

    void activatingContentsItemShowsPage()
    {
        QFETCH(QString, how);

        HelpWindow window;
        window.showContents();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTreeWidget* tree = controlsOf(window).contents;
        QTreeWidgetItem* item = findContentsItem(tree, QStringLiteral("Duplicate data labels"));
        QVERIFY(item);
        tree->scrollToItem(item); // expands its parents
        const QPoint centre = tree->visualItemRect(item).center();

        if (how == QLatin1String("click")) {
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, centre);
        } else if (how == QLatin1String("double click")) {
            // A real double click starts with a press; the view ignores one without it.
            QTest::mousePress(tree->viewport(), Qt::LeftButton, {}, centre);
            QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, centre);
        } else {
            tree->setFocus();
            tree->setCurrentItem(item);
            QTest::keyClick(tree, Qt::Key_Return);
        }

        QCOMPARE(window.currentPage(), QUrl(QStringLiteral("qrc:/help/stations.html#duplicates")));
    }

    void activatingIndexItemShowsPage_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("click") << QStringLiteral("click");
        QTest::newRow("double click") << QStringLiteral("double click");
        QTest::newRow("Enter in the list") << QStringLiteral("enter");
        QTest::newRow("Enter in the filter") << QStringLiteral("filter");
    }

    void activatingIndexItemShowsPage()
    {
        QFETCH(QString, how);

        HelpWindow window;
        window.showIndex();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const Controls controls = controlsOf(window);
        const QList<QListWidgetItem*> found =
            controls.index->findItems(QStringLiteral("Exit command"), Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        QListWidgetItem* item = found.first();
        controls.index->scrollToItem(item);
        const QPoint centre = controls.index->visualItemRect(item).center();

        if (how == QLatin1String("click")) {
            QTest::mouseClick(controls.index->viewport(), Qt::LeftButton, {}, centre);
        } else if (how == QLatin1String("double click")) {
            // A real double click starts with a press; the view ignores one without it.
            QTest::mousePress(controls.index->viewport(), Qt::LeftButton, {}, centre);
            QTest::mouseDClick(controls.index->viewport(), Qt::LeftButton, {}, centre);
        } else if (how == QLatin1String("enter")) {
            controls.index->setFocus();
            controls.index->setCurrentItem(item);
            QTest::keyClick(controls.index, Qt::Key_Return);
        } else {
            QTest::keyClicks(controls.indexFilter, QStringLiteral("exit c"));
            QTest::keyClick(controls.indexFilter, Qt::Key_Return);
        }

        QCOMPARE(window.currentPage(), QUrl(QStringLiteral("qrc:/help/menus.html#cmd-exit")));
    }

    void indexIsSortedIgnoringCase()
    {
        HelpWindow window;
        QListWidget* index = controlsOf(window).index;

        QCOMPARE(index->count(), keywords().size());
        for (int row = 1; row < index->count(); ++row) {
            const QString before = index->item(row - 1)->text();
            const QString after = index->item(row)->text();
            QVERIFY2(QString::compare(before, after, Qt::CaseInsensitive) <= 0,
                     qPrintable(before + QStringLiteral(" sorts after ") + after));
        }
    }

    void indexFilterSelectsFirstMatch_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expectedStart");

        QTest::newRow("exit") << QStringLiteral("exit") << QStringLiteral("Exit");
        QTest::newRow("capitals") << QStringLiteral("EXIT") << QStringLiteral("Exit");
        QTest::newRow("numbered error") << QStringLiteral("error 1503") << QStringLiteral("Error 1503");
        QTest::newRow("file name") << QStringLiteral("qvzizavure.q") << QStringLiteral("QVZizaVure.QVS");
        QTest::newRow("view") << QStringLiteral("view by st") << QStringLiteral("View By Stat");
        // No keyword begins with the text, so the first one containing it is taken.
        QTest::newRow("inside a keyword") << QStringLiteral("ssor serv") << QStringLiteral("QVZizaVureessor service");
    }

    void indexFilterSelectsFirstMatch()
    {
        QFETCH(QString, typed);
        QFETCH(QString, expectedStart);

        HelpWindow window;
        window.showIndex();
        const Controls controls = controlsOf(window);

        QTest::keyClicks(controls.indexFilter, typed);

        QListWidgetItem* current = controls.index->currentItem();
        QVERIFY(current);
        QVERIFY2(current->text().startsWith(expectedStart), qPrintable(current->text()));
        QVERIFY(current->isSelected());
        int visible = 0;
        for (int row = 0; row < controls.index->count(); ++row) {
            const QListWidgetItem* item = controls.index->item(row);
            QCOMPARE(item->isHidden(), !item->text().contains(typed, Qt::CaseInsensitive));
            visible += item->isHidden() ? 0 : 1;
        }
        QVERIFY(visible < controls.index->count());
    }

    void indexFilterClearedShowsAllKeywords()
    {
        HelpWindow window;
        const Controls controls = controlsOf(window);

        QTest::keyClicks(controls.indexFilter, QStringLiteral("no such keyword"));
        for (int row = 0; row < controls.index->count(); ++row)
            QVERIFY(controls.index->item(row)->isHidden());

        controls.indexFilter->clear();
        for (int row = 0; row < controls.index->count(); ++row)
            QVERIFY(!controls.index->item(row)->isHidden());
    }

    void internalLinkIsFollowed()
    {
        HelpWindow window;
        window.showContents();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTextBrowser* browser = controlsOf(window).browser;
        browser->setSource(QUrl(QStringLiteral("qrc:/help/menus.html")));

        // "Closing the program" is a link in the row of the Exit command.
        QTextCursor link = browser->document()->find(QStringLiteral("Closing the program"));
        QVERIFY(!link.isNull());
        link.setPosition(link.selectionStart() + 2);
        browser->setTextCursor(link);
        browser->ensureCursorVisible();
        QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, browser->cursorRect(link).center());

        QCOMPARE(window.currentPage(), QUrl(QStringLiteral("qrc:/help/mainwindow.html#closing")));
    }

    void missingPageSaysNotFound()
    {
        HelpWindow window;
        QTextBrowser* browser = controlsOf(window).browser;

        browser->setSource(QUrl(QStringLiteral("qrc:/help/nosuchpage.html")));

        QVERIFY2(browser->toPlainText().contains(QStringLiteral("Page not found")), qPrintable(browser->toPlainText()));
    }
};

QTEST_MAIN(TestHelpWindow)
#include "tst_helpwindow.moc"
