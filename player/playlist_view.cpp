#include "playlist_view.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>

PlaylistView::PlaylistView(QWidget* parent) : QListView(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setLayoutMode(QListView::Batched);
    setBatchSize(200);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DropOnly);
}

// The current entry is always the selected one: nothing (Ctrl+click,
// Ctrl+Space) may leave a current entry that is not highlighted.
QItemSelectionModel::SelectionFlags PlaylistView::selectionCommand(const QModelIndex& index, const QEvent*) const {
    return index.isValid() ? (QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows)
                           : QItemSelectionModel::NoUpdate;
}

void PlaylistView::mousePressEvent(QMouseEvent* event) {
    // Only the left button selects; the others leave the selection alone.
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QModelIndex before = currentIndex();
    QListView::mousePressEvent(event);
    QModelIndex hit = indexAt(event->position().toPoint());
    if (hit.isValid() && hit == before && currentIndex() == before) emit reselected();
}

void PlaylistView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QListView::mouseDoubleClickEvent(event);
}

void PlaylistView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) QListView::mouseReleaseEvent(event);
    emit mouseUp(event->button(), event->globalPosition().toPoint());
}

void PlaylistView::dragEnterEvent(QDragEnterEvent* event) {
    // Anything may be dropped; what is not a file list is ignored on drop.
    event->acceptProposedAction();
}

void PlaylistView::dragMoveEvent(QDragMoveEvent* event) { event->acceptProposedAction(); }

void PlaylistView::dropEvent(QDropEvent* event) {
    emit dropped(event->mimeData());
    event->acceptProposedAction();
}
