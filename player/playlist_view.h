#pragma once
// The playlist's list box: single selection; a right-button press does not
// move the selection; drops of local files are handed to the window, and are
// only ever taken as a copy. The Menu key (or Shift+F10), Return and Delete
// are reported for the window to act on.
#include <QListView>

class QMimeData;

class PlaylistView : public QListView {
    Q_OBJECT
public:
    explicit PlaylistView(QWidget* parent = nullptr);

signals:
    void mouseUp(Qt::MouseButton button, const QPoint& globalPos);
    void dropped(const QMimeData* data);
    // A left press on the entry that is already the current one.
    void reselected();
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
};
