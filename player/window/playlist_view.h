#pragma once
// The playlist's list box: it shows the playlist and its current entry as the
// one highlighted entry, and makes the entry the user picks (mouse or keys)
// the playlist's current one; a right-button press does not move it. Drops
// of local files are handed to the window, and are only ever taken as a
// copy. The Menu key (or Shift+F10), Return and Delete are reported for the
// window to act on.
#include <QListView>

class PlaylistModel;
class QMimeData;

class PlaylistView : public QListView {
    Q_OBJECT
public:
    explicit PlaylistView(QWidget* parent = nullptr);
    void setPlaylist(PlaylistModel* playlist);

signals:
    void mouseUp(Qt::MouseButton button, const QPoint& globalPos);
    void dropped(const QMimeData* data);
    void menuKeyPressed();
    void returnPressed();
    void deletePressed();

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void followCurrentRow(int row);
    void userChoseRow(const QModelIndex& current);

    PlaylistModel* playlist_ = nullptr;
    bool following_ = false;  // the selection is being set from the playlist
};
