#include "playlist_model.h"

#include "case_fold.h"
#include "file_util.h"

#include <algorithm>

PlaylistModel::PlaylistModel(QObject* parent) : QAbstractListModel(parent) {}

std::string PlaylistModel::SortKey(const std::string& entry) { return FoldCase(entry); }

QString PlaylistModel::textAt(int row) const { return PathToText(at(row)); }

std::vector<std::string> PlaylistModel::entries() const {
    std::vector<std::string> out;
    out.reserve(entries_.size());
    for (const auto& e : entries_) out.push_back(e.text);
    return out;
}

int PlaylistModel::add(const std::string& entry) {
    if (count() >= kMaxEntries) return -1;
    Entry e{entry, SortKey(entry)};
    auto pos = std::upper_bound(entries_.begin(), entries_.end(), e,
                                [](const Entry& a, const Entry& b) { return a.key < b.key; });
    int row = static_cast<int>(pos - entries_.begin());
    if (anchor_ >= row) ++anchor_;
    beginInsertRows(QModelIndex(), row, row);
    entries_.insert(pos, std::move(e));
    endInsertRows();
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
    int newAnchor = -1;
    size_t i = 0, j = 0;
    while (i < entries_.size() || j < fresh.size()) {
        bool takeOld = j >= fresh.size() || (i < entries_.size() && !less(fresh[j], entries_[i]));
        if (takeOld) {
            if (static_cast<int>(i) == anchor_) newAnchor = static_cast<int>(merged.size());
            merged.push_back(std::move(entries_[i++]));
        } else {
            merged.push_back(std::move(fresh[j++]));
        }
    }
    if (entries_.empty()) {
        beginInsertRows(QModelIndex(), 0, static_cast<int>(merged.size()) - 1);
        entries_ = std::move(merged);
        endInsertRows();
    } else {
        // A reset is linear; row-by-row insertion signals would be quadratic.
        // The view restores its selection from the anchor after the reset.
        beginResetModel();
        entries_ = std::move(merged);
        anchor_ = newAnchor;
        endResetModel();
    }
    return refused;
}

int PlaylistModel::replaceAll(const std::vector<std::string>& fresh) {
    clear();
    return addMany(fresh);
}

void PlaylistModel::removeAt(int row) {
    if (row < 0 || row >= count()) return;
    if (anchor_ == row) anchor_ = -1;
    else if (anchor_ > row) --anchor_;
    beginRemoveRows(QModelIndex(), row, row);
    entries_.erase(entries_.begin() + row);
    endRemoveRows();
}

void PlaylistModel::clear() {
    anchor_ = -1;
    if (entries_.empty()) return;
    beginResetModel();
    entries_.clear();
    endResetModel();
}

int PlaylistModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : count(); }

QVariant PlaylistModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count()) return {};
    if (role == Qt::DisplayRole) return textAt(index.row());
    return {};
}

Qt::ItemFlags PlaylistModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::ItemIsDropEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDropEnabled;
}
