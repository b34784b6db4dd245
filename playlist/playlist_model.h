#pragma once
// The playlist: entries kept sorted without regard to case, as the list shows
// them. Entries are byte strings (normally full file paths) and are never
// checked for existence, type or duplicates.
#include <QAbstractListModel>
#include <string>
#include <vector>

class PlaylistModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int kMaxEntries = 32767;

    explicit PlaylistModel(QObject* parent = nullptr);

    int count() const { return static_cast<int>(entries_.size()); }
    const std::string& at(int row) const { return entries_[static_cast<size_t>(row)].text; }
    QString textAt(int row) const;
    std::vector<std::string> entries() const;

    // Inserts one entry at its sorted place (after entries that compare equal).
    // Returns its row, or -1 when the playlist is full.
    int add(const std::string& entry);
    // Inserts many entries as if each was added in turn. Returns how many were
    // refused because the playlist was full.
    int addMany(const std::vector<std::string>& entries);
    // Replaces every entry (used when the stored playlist is loaded).
    int replaceAll(const std::vector<std::string>& entries);
    void removeAt(int row);
    void clear();

    // The anchor row follows one entry (the list's selection) through every
    // insertion and removal; -1 when it follows none or its entry was removed.
    void setAnchorRow(int row) { anchor_ = (row >= 0 && row < count()) ? row : -1; }
    int anchorRow() const { return anchor_; }

    // The case-insensitive key the list sorts by.
    static std::string SortKey(const std::string& entry);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Entry {
        std::string text;
        std::string key;
    };
    std::vector<Entry> entries_;
    int anchor_ = -1;
};
