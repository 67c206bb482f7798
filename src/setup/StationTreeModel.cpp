#include "StationTreeModel.h"

#include "config/DataDef.h"
#include "platform/AsciiText.h"

#include <QPainter>
#include <QPixmap>

#include <array>

namespace {

using Row = TStationSensorItem;

// The attribute that views 2 to 7 group by.
QString Row::*const AttributeOfView[] = {&Row::BASIN,  &Row::DISTRICT, &Row::CITY,
                                         &Row::COUNTY, &Row::STATE,    &Row::COUNTRY};

bool isBlank(const QString& text)
{
    for (const QChar ch : text) {
        if (!ch.isSpace())
            return false;
    }
    return true;
}

void setLevels(Row& row, const QString& level1, int image1, const QString& level2, int image2,
               const QString& level3 = {}, int image3 = 0)
{
    row.Level1Text = level1;
    row.Level1Image = image1;
    row.Level2Text = level2;
    row.Level2Image = image2;
    row.Level3Text = level3;
    row.Level3Image = image3;
}

// A small badge: a coloured rounded square with a letter.
QIcon badge(const QColor& colour, QChar letter)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    QFont font = painter.font();
    font.setPixelSize(11);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, QString(letter));
    return QIcon(pixmap);
}

std::array<QIcon, TStationTreeModel::ViewCount> makeIcons()
{
    return {badge(QColor(0x1f, 0x5f, 0xbf), u'S'),  // station
            badge(QColor(0x2e, 0x8b, 0x57), u'n'),  // sensor
            badge(QColor(0x1e, 0x90, 0xa0), u'B'),  // basin
            badge(QColor(0x8b, 0x5a, 0x2b), u'D'),  // district
            badge(QColor(0x80, 0x40, 0xa0), u'C'),  // city
            badge(QColor(0xa0, 0x60, 0x20), u'Y'),  // county
            badge(QColor(0xb0, 0x30, 0x30), u'T'),  // state
            badge(QColor(0x40, 0x40, 0x40), u'N'),  // country (nation)
            badge(QColor(0xc0, 0x80, 0x00), u'P'),  // primary channel
            badge(QColor(0x60, 0x70, 0x80), u'R')}; // random channel
}

} // namespace

QStringList TStationTreeModel::viewNames()
{
    return {tr("View By Stations"),      tr("View By Sensors"), tr("View By Basin"),
            tr("View By District"),      tr("View By City"),    tr("View By County"),
            tr("View By State"),         tr("View By Country"), tr("View By Primary Channel"),
            tr("View By Random Channel")};
}

QString TStationTreeModel::imageKind(int image)
{
    const QStringList kinds = {tr("station"), tr("sensor"), tr("basin"),   tr("district"),        tr("city"),
                               tr("county"),  tr("state"),  tr("country"), tr("primary channel"), tr("random channel")};
    return image >= 0 && image < ViewCount ? kinds[image] : QString();
}

QIcon TStationTreeModel::imageIcon(int image)
{
    static const std::array<QIcon, ViewCount> icons = makeIcons();
    return image >= 0 && image < ViewCount ? icons[std::size_t(image)] : QIcon();
}

void TStationTreeModel::fillLevels(TStationSensorItem& row, int view)
{
    switch (view) {
    case 0:
        setLevels(row, row.STATION_ID, StationImage, row.SENSORNAME, SensorImage);
        break;
    case 1:
        setLevels(row, row.SENSORNAME, SensorImage, row.STATION_ID, StationImage);
        break;
    case 8:
        setLevels(row, QString::number(row.PRIMARY_CHANNEL), view, row.STATION_ID, StationImage, row.SENSORNAME,
                  SensorImage);
        break;
    case 9:
        setLevels(row, QString::number(row.RANDOM_CHANNEL), view, row.STATION_ID, StationImage, row.SENSORNAME,
                  SensorImage);
        break;
    default:
        Q_ASSERT(view >= 2 && view <= 7);
        setLevels(row, row.*AttributeOfView[view - 2], view, row.STATION_ID, StationImage, row.SENSORNAME, SensorImage);
        break;
    }
}

TStationTreeModel::TStationTreeModel(QObject* parent) : QAbstractItemModel(parent) {}

void TStationTreeModel::clear()
{
    beginResetModel();
    m_nodes.clear();
    m_topLevel.clear();
    m_previous = -1;
    endResetModel();
}

void TStationTreeModel::build(TStationSensorCache& cache, int view)
{
    beginResetModel();
    m_nodes.clear();
    m_topLevel.clear();
    m_previous = -1;
    // Every view has up to three nodes per row, but in practice barely more than one.
    m_nodes.reserve(std::size_t(cache.Count()) + std::size_t(cache.Count()) / 4);
    for (int i = 0; i < cache.Count(); ++i) {
        TStationSensorItem& row = *cache.Items(i);
        fillLevels(row, view);
        AddTreeRow(row);
    }
    endResetModel();
}

// The tree is never searched: a row is compared with the last top-level node
// and that node's last child only, which is why the rows arrive sorted.
void TStationTreeModel::AddTreeRow(const TStationSensorItem& row)
{
    int reference = -1;
    if (m_previous >= 0)
        reference = topLevelAncestor(m_previous);
    else if (!m_topLevel.empty())
        reference = m_topLevel.back();

    const QString level1 = isBlank(row.Level1Text) ? tr("<NULL>") : row.Level1Text;
    int node = reference;
    if (node < 0 || !AsciiText::equalsFolded(m_nodes[std::size_t(node)].text, level1))
        node = addNode(-1, level1, row.Level1Image);
    m_nodes[std::size_t(node)].image = row.Level1Image;

    if (!row.Level2Text.isEmpty())
        node = reuseOrAddChild(node, row.Level2Text, row.Level2Image);
    if (!row.Level3Text.isEmpty())
        node = addNode(node, row.Level3Text, row.Level3Image);

    m_nodes[std::size_t(node)].row = &row;
    m_previous = node;
}

int TStationTreeModel::reuseOrAddChild(int parent, const QString& text, int image)
{
    const std::vector<int>& children = m_nodes[std::size_t(parent)].children;
    if (!children.empty()) {
        Node& last = m_nodes[std::size_t(children.back())];
        if (AsciiText::equalsFolded(last.text, text)) {
            last.image = image;
            return children.back();
        }
    }
    return addNode(parent, text, image);
}

int TStationTreeModel::addNode(int parent, const QString& text, int image)
{
    const int node = int(m_nodes.size());
    std::vector<int>& siblings = parent < 0 ? m_topLevel : m_nodes[std::size_t(parent)].children;
    Node added;
    added.text = text;
    added.image = image;
    added.parent = parent;
    added.position = int(siblings.size());
    siblings.push_back(node);
    m_nodes.push_back(std::move(added));
    return node;
}

const std::vector<int>& TStationTreeModel::childrenOf(int parent) const
{
    return parent < 0 ? m_topLevel : m_nodes[std::size_t(parent)].children;
}

int TStationTreeModel::nodeAt(const QModelIndex& index) const
{
    return index.isValid() ? int(index.internalId()) : -1;
}

int TStationTreeModel::topLevelAncestor(int node) const
{
    while (m_nodes[std::size_t(node)].parent >= 0)
        node = m_nodes[std::size_t(node)].parent;
    return node;
}

const TStationSensorItem* TStationTreeModel::rowAt(const QModelIndex& index) const
{
    const int node = nodeAt(index);
    return node >= 0 ? m_nodes[std::size_t(node)].row : nullptr;
}

QModelIndex TStationTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    const std::vector<int>& children = childrenOf(nodeAt(parent));
    if (column != 0 || row < 0 || std::size_t(row) >= children.size())
        return {};
    return createIndex(row, 0, quintptr(children[std::size_t(row)]));
}

QModelIndex TStationTreeModel::parent(const QModelIndex& index) const
{
    const int node = nodeAt(index);
    if (node < 0)
        return {};
    const int parentNode = m_nodes[std::size_t(node)].parent;
    if (parentNode < 0)
        return {};
    return createIndex(m_nodes[std::size_t(parentNode)].position, 0, quintptr(parentNode));
}

int TStationTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    return int(childrenOf(nodeAt(parent)).size());
}

int TStationTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

QVariant TStationTreeModel::data(const QModelIndex& index, int role) const
{
    const int node = nodeAt(index);
    if (node < 0)
        return {};
    if (role == Qt::DisplayRole)
        return m_nodes[std::size_t(node)].text;
    if (role == Qt::DecorationRole)
        return imageIcon(m_nodes[std::size_t(node)].image);
    // The badge's meaning in words, for a screen reader and the pointer.
    if (role == Qt::AccessibleDescriptionRole || role == Qt::ToolTipRole)
        return imageKind(m_nodes[std::size_t(node)].image);
    return {};
}

Qt::ItemFlags TStationTreeModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
