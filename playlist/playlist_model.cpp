#include "playlist/playlist_model.h"

#include "common/app_error.h"
#include "common/case_fold.h"
#include "common/file_util.h"

#include <algorithm>

namespace {
// Counts a change of rows as long as it lasts.
struct Changing {
    int& depth;
    explicit Changing(int& d) : depth(d) { ++depth; }
    ~Changing() { --depth; }
};
}  // namespace

PlaylistModel::PlaylistModel(QObject* parent) : QAbstractListModel(parent) {}

std::string PlaylistModel::SortKey(const std::string& entry) { return FoldCase(entry); }

QString PlaylistModel::textAt(int row) const { return PathToText(at(row)); }

std::vector<std::string> PlaylistModel::entries() const {
    std::vector<std::string> out;
    out.reserve(entries_.size());
    for (const auto& e : entries_) out.push_back(e.text);
    return out;
}

void PlaylistModel::setCurrent(int row) {
    if (row == current_) return;
    current_ = row;
    emit currentRowChanged(row);
}

void PlaylistModel::setCurrentRow(int row) {
    if (row < 0 || row >= count()) throw MakeError(ErrNo::InvalidPropertyValue);
    setCurrent(row);
    emit currentRowSet(row);
}

void PlaylistModel::clearCurrentRow() { setCurrent(-1); }

int PlaylistModel::findByName(const QString& prefix, int from) const {
    const int n = count();
    if (n == 0 || prefix.isEmpty()) return -1;
    // The sort key is the whole entry folded, so its part after the last "/"
    // is the file name folded.
    const std::string wanted = FoldCase(TextToPath(prefix));
    from = from < 0 || from >= n ? 0 : from;
    for (int i = 0; i < n; ++i) {
        const int row = (from + i) % n;
        const std::string& key = entries_[static_cast<size_t>(row)].key;
        const size_t slash = key.rfind('/');
        const size_t name = slash == std::string::npos ? 0 : slash + 1;
        if (key.size() - name >= wanted.size() && key.compare(name, wanted.size(), wanted) == 0) return row;
    }
    return -1;
}

int PlaylistModel::add(const std::string& entry) {
    if (count() >= kMaxEntries) return -1;
    Entry e{entry, SortKey(entry)};
    auto pos = std::upper_bound(entries_.begin(), entries_.end(), e,
                                [](const Entry& a, const Entry& b) { return a.key < b.key; });
    int row = static_cast<int>(pos - entries_.begin());
    {
        Changing changing(changing_);
        beginInsertRows(QModelIndex(), row, row);
        entries_.insert(pos, std::move(e));
        endInsertRows();
    }
    if (current_ >= row) setCurrent(current_ + 1);
    return row;
}

int PlaylistModel::addMany(const std::vector<std::string>& added) {
    size_t room = static_cast<size_t>(kMaxEntries) - entries_.size();
    size_t taken = std::min(room, added.size());
    int refused = static_cast<int>(added.size() - taken);
    if (taken == 0) return refused;
    if (taken < 8) {
        for (size_t i = 0; i < taken; ++i) add(added[i]);
        return refused;
    }
    // Sorting the new entries stably and merging them behind equal old ones
    // gives the same order as inserting them one by one.
    std::vector<Entry> fresh;
    fresh.reserve(taken);
    for (size_t i = 0; i < taken; ++i) fresh.push_back(Entry{added[i], SortKey(added[i])});
    auto less = [](const Entry& a, const Entry& b) { return a.key < b.key; };
    std::stable_sort(fresh.begin(), fresh.end(), less);

    std::vector<Entry> merged;
    merged.reserve(entries_.size() + fresh.size());
    int newCurrent = -1;
    size_t i = 0, j = 0;
    while (i < entries_.size() || j < fresh.size()) {
        bool takeOld = j >= fresh.size() || (i < entries_.size() && !less(fresh[j], entries_[i]));
        if (takeOld) {
            if (static_cast<int>(i) == current_) newCurrent = static_cast<int>(merged.size());
            merged.push_back(std::move(entries_[i++]));
        } else {
            merged.push_back(std::move(fresh[j++]));
        }
    }
    {
        Changing changing(changing_);
        if (entries_.empty()) {
            beginInsertRows(QModelIndex(), 0, static_cast<int>(merged.size()) - 1);
            entries_ = std::move(merged);
            endInsertRows();
        } else {
            // A reset is linear; row-by-row insertion signals would be quadratic.
            // A view follows the current row again after it.
            beginResetModel();
            entries_ = std::move(merged);
            endResetModel();
        }
    }
    if (newCurrent >= 0) {
        current_ = -1;  // announced again: a view lost its selection in the reset
        setCurrent(newCurrent);
    }
    return refused;
}

int PlaylistModel::replaceAll(const std::vector<std::string>& fresh) {
    clear();
    return addMany(fresh);
}

void PlaylistModel::removeAt(int row) {
    if (row < 0 || row >= count()) return;
    {
        Changing changing(changing_);
        beginRemoveRows(QModelIndex(), row, row);
        entries_.erase(entries_.begin() + row);
        endRemoveRows();
    }
    if (current_ == row)
        setCurrent(-1);
    else if (current_ > row)
        setCurrent(current_ - 1);
    if (!queue_.empty()) queueChanged();
}

int PlaylistModel::removeEach(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.erase(std::remove_if(rows.begin(), rows.end(), [this](int r) { return r < 0 || r >= count(); }), rows.end());
    if (rows.empty()) return 0;
    std::vector<Entry> kept;
    kept.reserve(entries_.size() - rows.size());
    int newCurrent = -1;
    for (size_t i = 0, k = 0; i < entries_.size(); ++i) {
        if (k < rows.size() && rows[k] == static_cast<int>(i)) {
            ++k;
            continue;
        }
        if (static_cast<int>(i) == current_) newCurrent = static_cast<int>(kept.size());
        kept.push_back(std::move(entries_[i]));
    }
    {
        // A reset is linear; row-by-row removal signals would be quadratic.
        Changing changing(changing_);
        beginResetModel();
        entries_ = std::move(kept);
        endResetModel();
    }
    current_ = -2;  // announced again: a view lost its selection in the reset
    setCurrent(newCurrent);
    queueChanged();
    return static_cast<int>(rows.size());
}

void PlaylistModel::playNext(int row) {
    if (row < 0 || row >= count()) return;
    const std::string& text = at(row);
    if (std::find(queue_.begin(), queue_.end(), text) == queue_.end()) queue_.push_back(text);
    queueChanged();
}

int PlaylistModel::takeNext() {
    while (!queue_.empty()) {
        const int row = rowOf(queue_.front());
        queue_.erase(queue_.begin());
        if (row >= 0) {
            queueChanged();
            return row;
        }
    }
    return -1;
}

int PlaylistModel::placeInQueue(int row) const {
    if (row < 0 || row >= count() || queue_.empty()) return 0;
    const auto it = std::find(queue_.begin(), queue_.end(), at(row));
    return it == queue_.end() ? 0 : static_cast<int>(it - queue_.begin()) + 1;
}

// Drops what left the list, and tells the view the places changed.
void PlaylistModel::queueChanged() {
    queue_.erase(std::remove_if(queue_.begin(), queue_.end(), [this](const std::string& t) { return rowOf(t) < 0; }),
                 queue_.end());
    if (count() > 0) emit dataChanged(index(0, 0), index(count() - 1, 0), {QueueRole});
    emit queueMoved();
}

void PlaylistModel::clear() {
    if (!entries_.empty()) {
        Changing changing(changing_);
        beginResetModel();
        entries_.clear();
        endResetModel();
    }
    setCurrent(-1);
    if (!queue_.empty()) {
        queue_.clear();
        emit queueMoved();
    }
}

int PlaylistModel::rowOf(const std::string& entry) const {
    const std::string key = SortKey(entry);
    auto it = std::lower_bound(entries_.begin(), entries_.end(), key,
                               [](const Entry& e, const std::string& k) { return e.key < k; });
    for (; it != entries_.end() && it->key == key; ++it)
        if (it->text == entry) return static_cast<int>(it - entries_.begin());
    return -1;
}

int PlaylistModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : count(); }

QVariant PlaylistModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count()) return {};
    if (role == Qt::DisplayRole) return textAt(index.row());
    if (role == QueueRole) return placeInQueue(index.row());
    if (role == Qt::AccessibleTextRole) {
        const int place = placeInQueue(index.row());
        return place > 0 ? tr("%1, played next (%2)").arg(textAt(index.row())).arg(place) : textAt(index.row());
    }
    return {};
}

Qt::ItemFlags PlaylistModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::ItemIsDropEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDropEnabled;
}
