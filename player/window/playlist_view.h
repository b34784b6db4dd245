#pragma once
// The playlist's list box: it shows the playlist and its current entry as the
// one highlighted entry, and makes the entry the user picks (mouse or keys)
// the playlist's current one; a right-button press does not move it. Drops
// of local files are handed to the window, and are only ever taken as a
// copy. The Menu key (or Shift+F10), Return and Delete are reported for the
// window to act on; Space, Left and Right are left to the window. Typing selects the next entry whose file name begins
// with what was typed, as file managers do; a pause starts a new search.
// With the keyboard it is framed in the highlight colour.
#include <QElapsedTimer>
#include <QListView>

class PlaylistModel;
class QMimeData;

class PlaylistView : public QListView {
    Q_OBJECT
public:
    explicit PlaylistView(QWidget* parent = nullptr);
    void setPlaylist(PlaylistModel* playlist);
    // Typing after a pause this long (milliseconds) starts a new search.
    int typingPause = 1000;
    // Type to find: called with the text of each key typed.
    void keyboardSearch(const QString& search) override;

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
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

public:
    // At a fractional scale (1.25, 1.5) the list rounded to whole screen
    // pixels would cover its frame's bottom line: it keeps off it there.
    // Shown, and again on another screen.
    void keepFrameVisible();

private:
    void followCurrentRow(int row);
    void scrollToCurrentSoon();
    void userChoseRow(const QModelIndex& current);

    PlaylistModel* playlist_ = nullptr;
    bool following_ = false;      // the selection is being set from the playlist
    bool scrollPending_ = false;  // the current entry is brought into view shortly
    int scrollTries_ = 0;
    QString typed_;  // what was typed since the last pause
    QElapsedTimer sinceTyped_;
};
