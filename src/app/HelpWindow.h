#pragma once

#include <QList>
#include <QString>
#include <QUrl>
#include <QWidget>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTabWidget;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;

// One line of the help's table of contents (contents.txt).
struct HelpContentsEntry
{
    int depth = 0; // 0 for a top-level entry
    QString title;
    QString target; // page file name, optionally followed by "#anchor"
};

// One line of the help's index (keywords.txt).
struct HelpKeyword
{
    QString keyword;
    QString target; // page file name, optionally followed by "#anchor"
};

// Read "<depth>|<title>|<target>" and "<keyword>|<target>" lines. Blank lines
// and lines starting with '#' are comments. Malformed lines are skipped, so a
// slip in one line costs one entry rather than the whole help: wrong number of
// fields, empty fields, a depth that is no number, and a depth more than one
// level below the entry before it (it would have no parent).
QList<HelpContentsEntry> parseHelpContents(const QString& text);
QList<HelpKeyword> parseHelpKeywords(const QString& text);

// The program's help: the pages compiled in from docs/help, with a Contents
// tab (a tree) and an Index tab (keywords narrowed as you type) beside the page
// view. A top-level, non-modal window that stays open beside the main window.
class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows, raises and activates the window with the Contents tab current,
    // showing the first page when no page is shown yet.
    void showContents();
    // The same with the Index tab current and the keyword filter focused.
    void showIndex();
    // Shows, raises and activates the window at a page ("setup.html#top").
    void showPage(const QString& target);

    QUrl currentPage() const;

private:
    void buildContents(const QList<HelpContentsEntry>& entries);
    void buildIndex(QList<HelpKeyword> keywords);
    void filterIndex(const QString& text);
    void showTarget(const QString& target);
    void showItemTarget(const QTreeWidgetItem* item);
    void showItemTarget(const QListWidgetItem* item);
    void showFirstPageIfNone();
    void bringToFront();

    QTabWidget* m_tabs = nullptr;
    QTreeWidget* m_contents = nullptr;
    QWidget* m_indexPage = nullptr;
    QLineEdit* m_indexFilter = nullptr;
    QListWidget* m_index = nullptr;
    QTextBrowser* m_browser = nullptr;
};
