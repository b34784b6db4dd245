#pragma once
// The media player component's own control bar: play/pause, stop, a seek
// slider and an "mm:ss / mm:ss" readout over a MediaComponent. It follows
// the component's state and its Enabled, and wakes while playing only when
// something it shows will change.
#include <QIcon>
#include <QSlider>
#include <QStyle>
#include <QWidget>

class MediaComponent;
class QLabel;
class QTimer;
class QToolButton;

// A position slider: a press on the groove moves the handle there, under
// the pointer, and grabs it, as a press on the handle does; a drag moves it
// without seeking, and the release seeks once, where it was let go. The
// keyboard's steps (arrows 5 s, Page Up/Down 30 s, Home, End) seek at once.
class SeekSlider : public QSlider {
    Q_OBJECT
public:
    explicit SeekSlider(QWidget* parent = nullptr);
    // Where the style draws a part of it (the handle, the groove).
    QRect partRect(QStyle::SubControl part) const;
signals:
    void seekRequested(int value);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    // A turn of the wheel moves by the arrows' step and seeks there.
    void wheelEvent(QWheelEvent* event) override;
};

class MediaPlayerBar : public QWidget {
    Q_OBJECT
public:
    explicit MediaPlayerBar(MediaComponent& media, QWidget* parent = nullptr);

    MediaComponent& media() { return media_; }
    // Brings the bar up to date with the component (and aims its next
    // refresh); a bar not shown, or in a minimized window, sleeps.
    void refresh();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void playPauseClicked();

    MediaComponent& media_;
    QToolButton* playButton_ = nullptr;
    QToolButton* stopButton_ = nullptr;
    SeekSlider* slider_ = nullptr;
    QLabel* readout_ = nullptr;
    QTimer* refresh_ = nullptr;
    QIcon playIcon_, pauseIcon_;
    int shownPlaying_ = -1;  // the state the play/pause button shows
};
