#include "HelpWindow.h"

#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

// The help pages live in a static library; naming their initialiser here makes
// the linker keep them. Q_INIT_RESOURCE must be used outside any namespace.
static void initHelpResources()
{
    Q_INIT_RESOURCE(help);
}

namespace {

constexpr int TargetRole = Qt::UserRole;

const QString ContentsFile = QStringLiteral(":/help/contents.txt");
const QString KeywordsFile = QStringLiteral(":/help/keywords.txt");
const QString FirstPage = QStringLiteral("index.html");

bool isCommentOrBlank(const QString& line)
{
    return line.isEmpty() || line.startsWith(u'#');
}

// Splits a line into trimmed fields, or returns nothing when the count is
// wrong or a field is empty.
QStringList fieldsOf(const QString& line, int expectedCount)
{
    QStringList fields = line.split(u'|');
    if (fields.size() != expectedCount)
        return {};
    for (QString& field : fields) {
        field = field.trimmed();
        if (field.isEmpty())
            return {};
    }
    return fields;
}

QString readText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QUrl pageUrl(const QString& target)
{
    return QUrl(QStringLiteral("qrc:/help/")).resolved(QUrl(target));
}

// A page view that says so when a page is missing, instead of going blank.
class HelpBrowser : public QTextBrowser
{
public:
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int type, const QUrl& name) override
    {
        const bool isHelpPage = type == QTextDocument::HtmlResource && name.scheme() == QLatin1String("qrc");
        if (isHelpPage && !QFile::exists(QLatin1Char(':') + name.path()))
            return notFoundPage(name);
        return QTextBrowser::loadResource(type, name);
    }

private:
    static QString notFoundPage(const QUrl& name)
    {
        return HelpWindow::tr("<html><body><h1>Page not found</h1><p>%1</p></body></html>")
            .arg(name.toString().toHtmlEscaped());
    }
};

} // namespace

QList<HelpContentsEntry> parseHelpContents(const QString& text)
{
    QList<HelpContentsEntry> entries;
    int deepestAllowed = 0;
    for (const QString& rawLine : text.split(u'\n')) {
        const QString line = rawLine.trimmed();
        if (isCommentOrBlank(line))
            continue;
        const QStringList fields = fieldsOf(line, 3);
        if (fields.isEmpty())
            continue;
        bool isNumber = false;
        const int depth = fields[0].toInt(&isNumber);
        if (!isNumber || depth < 0 || depth > deepestAllowed)
            continue;
        entries.append({depth, fields[1], fields[2]});
        deepestAllowed = depth + 1;
    }
    return entries;
}

QList<HelpKeyword> parseHelpKeywords(const QString& text)
{
    QList<HelpKeyword> keywords;
    for (const QString& rawLine : text.split(u'\n')) {
        const QString line = rawLine.trimmed();
        if (isCommentOrBlank(line))
            continue;
        const QStringList fields = fieldsOf(line, 2);
        if (!fields.isEmpty())
            keywords.append({fields[0], fields[1]});
    }
    return keywords;
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    initHelpResources();
    setWindowTitle(tr("QV ZizaVure Help"));

    m_contents = new QTreeWidget;
    m_contents->setObjectName(QStringLiteral("treeContents"));
    m_contents->setAccessibleName(tr("Contents"));
    m_contents->setHeaderHidden(true);

    m_indexFilter = new QLineEdit;
    m_indexFilter->setObjectName(QStringLiteral("edtIndexFilter"));
    m_indexFilter->setPlaceholderText(tr("Type the keyword to find"));
    m_indexFilter->setClearButtonEnabled(true);
    m_index = new QListWidget;
    m_index->setObjectName(QStringLiteral("lstIndex"));

    m_indexPage = new QWidget;
    auto* indexLayout = new QVBoxLayout(m_indexPage);
    indexLayout->setContentsMargins(0, 0, 0, 0);
    indexLayout->addWidget(m_indexFilter);
    indexLayout->addWidget(m_index);

    m_tabs = new QTabWidget;
    m_tabs->setObjectName(QStringLiteral("tabsHelp"));
    m_tabs->addTab(m_contents, tr("Contents"));
    m_tabs->addTab(m_indexPage, tr("Index"));

    m_browser = new HelpBrowser;
    m_browser->setObjectName(QStringLiteral("browserPage"));
    m_browser->setAccessibleName(tr("Help page"));
    m_browser->setOpenExternalLinks(true);

    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(m_tabs);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({300, 600});

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter);
    resize(900, 620);

    buildContents(parseHelpContents(readText(ContentsFile)));
    buildIndex(parseHelpKeywords(readText(KeywordsFile)));

    // A click shows the entry at once; itemActivated adds Enter and double-click.
    connect(m_contents, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { showItemTarget(item); });
    connect(m_contents, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) { showItemTarget(item); });
    connect(m_index, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { showItemTarget(item); });
    connect(m_index, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) { showItemTarget(item); });
    connect(m_indexFilter, &QLineEdit::textChanged, this, &HelpWindow::filterIndex);
    connect(m_indexFilter, &QLineEdit::returnPressed, this, [this] { showItemTarget(m_index->currentItem()); });
}

void HelpWindow::showContents()
{
    m_tabs->setCurrentWidget(m_contents);
    showFirstPageIfNone();
    bringToFront();
}

void HelpWindow::showIndex()
{
    m_tabs->setCurrentWidget(m_indexPage);
    showFirstPageIfNone();
    bringToFront();
    m_indexFilter->setFocus();
    m_indexFilter->selectAll();
}

void HelpWindow::showPage(const QString& target)
{
    m_tabs->setCurrentWidget(m_contents);
    showTarget(target);
    bringToFront();
}

QUrl HelpWindow::currentPage() const
{
    return m_browser->source();
}

void HelpWindow::buildContents(const QList<HelpContentsEntry>& entries)
{
    // parents[d] is the latest item at depth d; the parser guarantees that an
    // entry is at most one level below the one before it.
    QList<QTreeWidgetItem*> parents;
    for (const HelpContentsEntry& entry : entries) {
        parents.resize(entry.depth);
        auto* item = entry.depth == 0 ? new QTreeWidgetItem(m_contents) : new QTreeWidgetItem(parents.last());
        item->setText(0, entry.title);
        item->setToolTip(0, entry.title); // long titles are cut off in a narrow pane
        item->setData(0, TargetRole, entry.target);
        parents.append(item);
    }
}

void HelpWindow::buildIndex(QList<HelpKeyword> keywords)
{
    // Sorted here rather than by the list itself, which would sort by case.
    std::stable_sort(keywords.begin(), keywords.end(), [](const HelpKeyword& a, const HelpKeyword& b) {
        return QString::compare(a.keyword, b.keyword, Qt::CaseInsensitive) < 0;
    });
    for (const HelpKeyword& keyword : keywords) {
        auto* item = new QListWidgetItem(keyword.keyword, m_index);
        item->setToolTip(keyword.keyword);
        item->setData(TargetRole, keyword.target);
    }
}

// Keeps the keywords that contain the typed text and selects the first that
// begins with it (or else the first kept one), as an operator expects of an
// index: typing "exit" lands on "Exit command".
void HelpWindow::filterIndex(const QString& text)
{
    QListWidgetItem* firstVisible = nullptr;
    QListWidgetItem* firstStartingWith = nullptr;
    for (int row = 0; row < m_index->count(); ++row) {
        QListWidgetItem* item = m_index->item(row);
        const bool matches = item->text().contains(text, Qt::CaseInsensitive);
        item->setHidden(!matches);
        if (!matches)
            continue;
        if (!firstVisible)
            firstVisible = item;
        if (!firstStartingWith && item->text().startsWith(text, Qt::CaseInsensitive))
            firstStartingWith = item;
    }
    if (text.isEmpty())
        return;
    QListWidgetItem* best = firstStartingWith ? firstStartingWith : firstVisible;
    if (best) {
        m_index->setCurrentItem(best);
        m_index->scrollToItem(best);
    }
}

void HelpWindow::showTarget(const QString& target)
{
    const QUrl url = pageUrl(target);
    // Showing the page that is already shown would add a second history step.
    if (url == m_browser->source())
        m_browser->scrollToAnchor(url.fragment());
    else
        m_browser->setSource(url);
}

void HelpWindow::showItemTarget(const QTreeWidgetItem* item)
{
    if (item)
        showTarget(item->data(0, TargetRole).toString());
}

void HelpWindow::showItemTarget(const QListWidgetItem* item)
{
    if (item && !item->isHidden())
        showTarget(item->data(TargetRole).toString());
}

void HelpWindow::showFirstPageIfNone()
{
    if (!m_browser->source().isEmpty())
        return;
    QTreeWidgetItem* first = m_contents->topLevelItem(0);
    if (first) {
        m_contents->setCurrentItem(first);
        showItemTarget(first);
    } else {
        showTarget(FirstPage);
    }
}

void HelpWindow::bringToFront()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}
