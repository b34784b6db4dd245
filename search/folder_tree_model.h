#pragma once
// The folder tree of the folder search window: one volume's root and the
// visible folders below it, listed when a folder is first expanded. Each
// folder keeps its path as bytes, so a folder whose name is not UTF-8 is
// shown (its name made readable) and can be opened and searched as it is.
#include <QAbstractItemModel>
#include <QIcon>
#include <memory>
#include <string>
#include <vector>

class FolderTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit FolderTreeModel(QObject* parent = nullptr);
    ~FolderTreeModel() override;

    // Shows the folder tree below `root` (one top-level item, the root itself).
    void setRoot(const std::string& root);
    const std::string& root() const;
    // The item of a folder at or below the root, listing the folders on the
    // way as needed; invalid when there is none (outside the root, hidden,
    // gone). `path` is absolute and clean, without a closing "/".
    QModelIndex indexOf(const std::string& path);
    std::string pathOf(const QModelIndex& index) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    struct Node;
    Node* nodeOf(const QModelIndex& index) const;
    QModelIndex indexOfNode(Node* node) const;
    void fetch(Node* node);

    std::unique_ptr<Node> top_;  // holds the root as its only child
    QIcon folderIcon_;
};
