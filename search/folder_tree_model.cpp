#include "search/folder_tree_model.h"

#include "common/case_fold.h"
#include "common/error_text.h"
#include "common/file_util.h"
#include "common/log.h"
#include "search/folder_listing.h"

#include <QApplication>
#include <QStyle>
#include <algorithm>

struct FolderTreeModel::Node {
    std::string path;
    QString name;
    Node* parent = nullptr;
    int row = 0;
    bool fetched = false;
    std::vector<std::unique_ptr<Node>> children;
};

FolderTreeModel::FolderTreeModel(QObject* parent) : QAbstractItemModel(parent), top_(std::make_unique<Node>()) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        folderIcon_ = QApplication::style()->standardIcon(QStyle::SP_DirIcon);
}

FolderTreeModel::~FolderTreeModel() = default;

void FolderTreeModel::setRoot(const std::string& root) {
    beginResetModel();
    top_ = std::make_unique<Node>();
    top_->fetched = true;
    auto node = std::make_unique<Node>();
    node->path = root;
    node->name = PathToText(root);
    node->parent = top_.get();
    top_->children.push_back(std::move(node));
    endResetModel();
}

const std::string& FolderTreeModel::root() const {
    static const std::string none;
    return top_->children.empty() ? none : top_->children.front()->path;
}

FolderTreeModel::Node* FolderTreeModel::nodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : top_.get();
}

QModelIndex FolderTreeModel::indexOfNode(Node* node) const {
    if (!node || node == top_.get()) return QModelIndex();
    return createIndex(node->row, 0, node);
}

void FolderTreeModel::fetch(Node* node) {
    if (node->fetched) return;
    node->fetched = true;
    std::vector<std::string> names;
    try {
        names = ListFolderWithin(node->path).folders;
    } catch (const std::exception& e) {
        // A folder that cannot be listed (or does not answer) shows nothing
        // below it.
        qCInfo(lcWindow) << "the folder" << node->name << "was not listed:" << ErrorText(e);
    }
    if (names.empty()) {
        // The expand mark goes away.
        const QModelIndex index = indexOfNode(node);
        emit dataChanged(index, index);
        return;
    }
    std::vector<std::pair<std::string, std::string>> keyed;  // fold, name
    keyed.reserve(names.size());
    for (std::string& n : names) keyed.emplace_back(FoldCase(n), std::move(n));
    std::sort(keyed.begin(), keyed.end());
    const std::string prefix = node->path == "/" ? node->path : node->path + "/";
    beginInsertRows(indexOfNode(node), 0, static_cast<int>(keyed.size()) - 1);
    for (auto& [key, name] : keyed) {
        auto child = std::make_unique<Node>();
        child->path = prefix + name;
        child->name = PathToText(name);
        child->parent = node;
        child->row = static_cast<int>(node->children.size());
        node->children.push_back(std::move(child));
    }
    endInsertRows();
}

QModelIndex FolderTreeModel::indexOf(const std::string& path) {
    if (top_->children.empty()) return QModelIndex();
    Node* node = top_->children.front().get();
    const std::string& root = node->path;
    if (path == root) return indexOfNode(node);
    const std::string prefix = root == "/" ? root : root + "/";
    if (path.compare(0, prefix.size(), prefix) != 0) return QModelIndex();
    size_t pos = prefix.size();
    while (pos < path.size()) {
        size_t slash = path.find('/', pos);
        if (slash == std::string::npos) slash = path.size();
        fetch(node);
        const std::string want = (node->path == "/" ? node->path : node->path + "/") + path.substr(pos, slash - pos);
        Node* next = nullptr;
        for (const auto& child : node->children) {
            if (child->path == want) {
                next = child.get();
                break;
            }
        }
        if (!next) return QModelIndex();
        node = next;
        pos = slash + 1;
    }
    return indexOfNode(node);
}

std::string FolderTreeModel::pathOf(const QModelIndex& index) const {
    return index.isValid() ? nodeOf(index)->path : std::string();
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex& parent) const {
    const Node* node = nodeOf(parent);
    if (column != 0 || row < 0 || row >= static_cast<int>(node->children.size())) return QModelIndex();
    return createIndex(row, 0, node->children[static_cast<size_t>(row)].get());
}

QModelIndex FolderTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid()) return QModelIndex();
    return indexOfNode(nodeOf(child)->parent);
}

int FolderTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) return 0;
    return static_cast<int>(nodeOf(parent)->children.size());
}

int FolderTreeModel::columnCount(const QModelIndex&) const { return 1; }

bool FolderTreeModel::hasChildren(const QModelIndex& parent) const {
    const Node* node = nodeOf(parent);
    return !node->fetched || !node->children.empty();
}

bool FolderTreeModel::canFetchMore(const QModelIndex& parent) const { return !nodeOf(parent)->fetched; }

void FolderTreeModel::fetchMore(const QModelIndex& parent) { fetch(nodeOf(parent)); }

QVariant FolderTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const Node* node = nodeOf(index);
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return node->name;
    if (role == Qt::DecorationRole) return folderIcon_;
    return {};
}
