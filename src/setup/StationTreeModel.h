#pragma once

#include <QAbstractItemModel>
#include <QIcon>
#include <QStringList>

#include <vector>

class TStationSensorCache;
class TStationSensorItem;

// The setup editor's station tree, built from the sorted station cache.
//
// A model of its own rather than a tree widget: a site of 100,000 station/sensor
// rows becomes some 110,000 nodes, and a flat array of nodes is built and shown
// many times faster than as many widget items.
//
// Each node that received a row refers to it; the rows belong to the cache, so
// the tree has to be cleared or rebuilt before the cache drops them.
class TStationTreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    // The number of views, and the image of each tree level. View v shows its
    // attribute nodes with image v, so the view list and the tree share icons.
    static constexpr int ViewCount = 10;
    enum Image { StationImage = 0, SensorImage = 1 };

    // "View By Stations" … "View By Random Channel", in view order.
    static QStringList viewNames();
    static QIcon imageIcon(int image);
    // What a badge stands for: "station", "sensor", "basin", …
    static QString imageKind(int image);

    // Writes the row's level texts and images as `view` arranges it.
    static void fillLevels(TStationSensorItem& row, int view);

    explicit TStationTreeModel(QObject* parent = nullptr);

    // Empties the tree.
    void clear();
    // Replaces the tree by the cache's rows, in the cache's order, arranged as
    // `view` says. The rows must be sorted for that view.
    void build(TStationSensorCache& cache, int view);

    // The row that a node refers to, or null.
    const TStationSensorItem* rowAt(const QModelIndex& index) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Node
    {
        QString text;
        int image = 0;
        int parent = -1;  // -1 for a top-level node
        int position = 0; // among its parent's children
        const TStationSensorItem* row = nullptr;
        std::vector<int> children;
    };

    void AddTreeRow(const TStationSensorItem& row);
    // Reuses the parent's last child when its text equals `text` ignoring
    // case, else appends a new one; returns the node.
    int reuseOrAddChild(int parent, const QString& text, int image);
    int addNode(int parent, const QString& text, int image);
    const std::vector<int>& childrenOf(int parent) const;
    int nodeAt(const QModelIndex& index) const;
    int topLevelAncestor(int node) const;

    std::vector<Node> m_nodes;
    std::vector<int> m_topLevel;
    int m_previous = -1; // the node that received the previous row
};
