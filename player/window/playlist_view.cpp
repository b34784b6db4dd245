#include "window/playlist_view.h"

#include <cmath>

#include "common/app_error.h"
#include "playlist/playlist_model.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTimer>

namespace {
// A file manager deletes the source files of a drop taken as a move, so a
// drop is taken as a copy, or as a link when the source offers nothing else,
// whatever the source proposes.
bool AcceptAsCopy(QDropEvent* event) {
    if (event->possibleActions() & Qt::CopyAction) {
        event->setDropAction(Qt::CopyAction);
    } else if (event->possibleActions() & Qt::LinkAction) {
        event->setDropAction(Qt::LinkAction);
    } else {
        event->ignore();
        return false;
    }
    event->accept();
    return true;
}
}  // namespace

namespace {
// An entry waiting to be played next shows its place in the queue at its
// right end.
class QueueMark : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        const int place = index.data(PlaylistModel::QueueRole).toInt();
        if (place <= 0) return;
        const QString mark = QStringLiteral(" %1 ").arg(place);
        QRect box = option.fontMetrics.boundingRect(mark).adjusted(-2, 0, 2, 0);
        box.moveCenter(QPoint(option.rect.right() - box.width() / 2 - 2, option.rect.center().y()));
        painter->save();
        painter->setPen(Qt::NoPen);
        painter->setBrush(option.palette.color(QPalette::Highlight));
        painter->drawRoundedRect(box, 3, 3);
        painter->setPen(option.palette.color(QPalette::HighlightedText));
        painter->drawText(box, Qt::AlignCenter, mark);
        painter->restore();
    }
};
}  // namespace

PlaylistView::PlaylistView(QWidget* parent) : QListView(parent) {
    setItemDelegate(new QueueMark(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setLayoutMode(QListView::Batched);
    setBatchSize(200);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DropOnly);
}

void PlaylistView::setPlaylist(PlaylistModel* playlist) {
    playlist_ = playlist;
    setModel(playlist);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) { userChoseRow(current); });
    connect(playlist, &PlaylistModel::currentRowChanged, this, &PlaylistView::followCurrentRow);
    connect(playlist, &PlaylistModel::currentRowSet, this, [this](int row) { scrollTo(model()->index(row, 0)); });
}

void PlaylistView::followCurrentRow(int row) {
    following_ = true;
    if (row >= 0)
        selectionModel()->setCurrentIndex(model()->index(row, 0), QItemSelectionModel::ClearAndSelect);
    else
        selectionModel()->clear();
    following_ = false;
    // Moved by entries added before it (a load that re-sorts the list): it
    // stays in view, brought there once the additions are done.
    if (row < 0 || !isVisible()) return;
    scrollTries_ = 0;
    scrollToCurrentSoon();
}

// The list is laid out in batches of 200 after a change: the entry is
// scrolled to once its batch is laid out (a full list takes 164).
void PlaylistView::scrollToCurrentSoon() {
    if (scrollPending_ || ++scrollTries_ > 200) return;
    scrollPending_ = true;
    QTimer::singleShot(0, this, [this] {
        scrollPending_ = false;
        if (!playlist_ || playlist_->currentRow() < 0 || !isVisible()) return;
        const QModelIndex current = model()->index(playlist_->currentRow(), 0);
        if (rectForIndex(current).isValid())
            scrollTo(current);
        else
            scrollToCurrentSoon();
    });
}

// The selection moves by itself while rows come and go; only a move made
// while they stand still is the user's choice.
void PlaylistView::userChoseRow(const QModelIndex& current) {
    if (following_ || !playlist_ || playlist_->changingRows()) return;
    if (current.isValid())
        playlist_->setCurrentRow(current.row());
    else
        playlist_->clearCurrentRow();
}

// The current entry is always the selected one: nothing (Ctrl+click,
// Ctrl+Space) may leave a current entry that is not highlighted.
QItemSelectionModel::SelectionFlags PlaylistView::selectionCommand(const QModelIndex& index, const QEvent*) const {
    return index.isValid() ? (QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows)
                           : QItemSelectionModel::NoUpdate;
}

void PlaylistView::keyboardSearch(const QString& search) {
    if (!playlist_ || search.isEmpty()) return;
    const bool fresh = !sinceTyped_.isValid() || sinceTyped_.elapsed() >= typingPause;
    sinceTyped_.start();
    typed_ = fresh ? search : typed_ + search;
    // One letter typed again and again steps through the names it begins.
    const bool stepping = typed_.size() > 1 && typed_.count(typed_.front(), Qt::CaseInsensitive) == typed_.size();
    const QString wanted = stepping ? typed_.left(1) : typed_;
    const int current = playlist_->currentRow();
    // A longer text may still match the entry found; a new search goes on after it.
    const int row = playlist_->findByName(wanted, fresh || stepping ? current + 1 : current);
    if (row < 0 || row == current) return;
    try {
        playlist_->setCurrentRow(row);
    } catch (const AppError&) {
    }
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
    // A press on the entry that already is the current one selects it again.
    if (hit.isValid() && hit == before && currentIndex() == before && playlist_) {
        try {
            playlist_->setCurrentRow(hit.row());
        } catch (const AppError&) {
        }
    }
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

void PlaylistView::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_Menu || (event->key() == Qt::Key_F10 && mods == Qt::ShiftModifier)) {
        emit menuKeyPressed();
    } else if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && mods == Qt::NoModifier) {
        if (!event->isAutoRepeat()) emit returnPressed();
    } else if (event->key() == Qt::Key_Delete && mods == Qt::NoModifier) {
        emit deletePressed();
    } else if ((event->key() == Qt::Key_Space || event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) &&
               (mods & ~Qt::ShiftModifier) == Qt::NoModifier) {
        event->ignore();  // the window's: pause, and seek
        return;
    } else {
        QListView::keyPressEvent(event);
        return;
    }
    event->accept();
}

// Some platforms turn the Menu key into a context-menu request as well.
void PlaylistView::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() == QContextMenuEvent::Keyboard) {
        emit menuKeyPressed();
        event->accept();
        return;
    }
    event->ignore();  // the mouse's menu opens on the right button's release
}

void PlaylistView::dragEnterEvent(QDragEnterEvent* event) {
    // Anything may be dropped; what is not a file list is ignored on drop.
    AcceptAsCopy(event);
}

void PlaylistView::dragMoveEvent(QDragMoveEvent* event) { AcceptAsCopy(event); }

void PlaylistView::dropEvent(QDropEvent* event) {
    if (AcceptAsCopy(event)) emit dropped(event->mimeData());
}

// The style marks the current entry only, and faintly: a list that has the
// keyboard is framed in the highlight colour, as an edited text is.
void PlaylistView::paintEvent(QPaintEvent* event) {
    QListView::paintEvent(event);
    if (!hasFocus()) return;
    QPainter painter(viewport());
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.drawRect(QRectF(viewport()->rect()).adjusted(1, 1, -1, -1));
}

void PlaylistView::focusInEvent(QFocusEvent* event) {
    QListView::focusInEvent(event);
    viewport()->update();
}

void PlaylistView::focusOutEvent(QFocusEvent* event) {
    QListView::focusOutEvent(event);
    viewport()->update();
}

void PlaylistView::showEvent(QShowEvent* event) {
    keepFrameVisible();
    QListView::showEvent(event);
}

void PlaylistView::keepFrameVisible() {
    const qreal dpr = devicePixelRatioF();
    setViewportMargins(0, 0, 0, dpr == std::floor(dpr) ? 0 : 1);
}
