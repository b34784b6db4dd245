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
    // Removes the entries of `rows` (any order) at once; the current entry
    // stays current unless it goes. Returns how many went.
    int removeEach(std::vector<int> rows);
    void clear();

    // Play Next: entries waiting to be played next, in the order they were
    // asked for (each once), whatever the list's order. An entry that leaves
    // the list leaves the queue.
    void playNext(int row);
    // The first entry waiting, which leaves the queue: its row, or -1 when
    // none waits.
    int takeNext();
    // Its place in the queue (1 for the first), 0 when it does not wait.
    int placeInQueue(int row) const;
    int queued() const { return static_cast<int>(queue_.size()); }
    // The place in the queue, for the view to show (an int).
    static constexpr int QueueRole = Qt::UserRole + 1;
    // Entries of the stored playlist that did not fit: not shown, kept to be
    // stored again after the shown ones.
    const std::vector<std::string>& heldBack() const { return heldBack_; }
    void setHeldBack(std::vector<std::string> entries) { heldBack_ = std::move(entries); }
    // The first row holding exactly `entry`, or -1.
    int rowOf(const std::string& entry) const;
    // The first row from `from` on, wrapping past the last to the first, whose
    // file name (the part after the last "/") begins with `prefix` without
    // regard to case; -1 when none does.
    int findByName(const QString& prefix, int from) const;

    // The current entry (the list's selection, the entry the commands act
    // on). It follows its entry through every insertion and removal and is
    // -1 when there is none or its entry was removed.
    int currentRow() const { return current_; }
    // Selects entry `row`: it becomes the current entry and currentRowSet is
    // announced, also when it already was current (selecting an entry always
    // runs the selection handler). Throws AppError (380, "Invalid property
    // value") for a row without an entry; nothing changes then.
    void setCurrentRow(int row);
    // Leaves no entry current.
    void clearCurrentRow();
    // True while rows are being inserted, removed or reset (a view's own
    // selection moves then; it is not the user's choice).
    bool changingRows() const { return changing_ > 0; }

    // The case-insensitive key the list sorts by.
    static std::string SortKey(const std::string& entry);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // Entries joined or left the queue (its places are news to the view).
    void queueMoved();
    // The current row has a new value, for whatever reason (a selection, an
    // insertion before it, its removal): for the view to follow.
    void currentRowChanged(int row);
    // An entry was selected, by the user or by a command.
    void currentRowSet(int row);

private:
    struct Entry {
        std::string text;
        std::string key;
    };
    void setCurrent(int row);
    void queueChanged();
    std::vector<Entry> entries_;
    std::vector<std::string> queue_;  // by entry text
    std::vector<std::string> heldBack_;
    int current_ = -1;
    int changing_ = 0;
};
