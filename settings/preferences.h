#pragma once
// The listening preferences added to the player, kept apart from its two
// stored files in one INI file, $XDG_CONFIG_HOME/corvalle-mp3-player/
// preferences.conf (QSettings; written whole on every change):
//   [replaygain] mode = off | track | album | auto   (auto: album gain in list
//                order, track gain in random mode)
//                preamp_db = -15 .. 15               (files with a gain)
//                untagged_db = -15 .. 15             (files without one)
//   [playback]   repeat = list | track | off
//                resume = true | false
// A missing file gives the defaults (off, 0, 0, list, false), which leave the
// player as it was; a value that cannot be read gets its default, with one
// line on the corvalle.files log and no message box.
#include <QObject>
#include <QString>

class Preferences : public QObject {
    Q_OBJECT
public:
    enum class Levelling { Off, Track, Album, AlbumUnlessRandom };
    enum class Repeat { List, Track, Off };
    static constexpr double kMinDb = -15;
    static constexpr double kMaxDb = 15;

    // Reads `file` (by default the one above).
    explicit Preferences(QString file = DefaultFile(), QObject* parent = nullptr);
    static QString DefaultFile();

    Levelling levelling() const { return levelling_; }
    double preampDb() const { return preampDb_; }
    double untaggedDb() const { return untaggedDb_; }
    Repeat repeat() const { return repeat_; }
    bool resume() const { return resume_; }

    // Each stores the file and tells `changed` when something changed; a
    // gain outside the range is taken as its nearest end.
    void setLevelling(Levelling levelling, double preampDb, double untaggedDb);
    void setRepeat(Repeat repeat);
    void setResume(bool resume);

signals:
    void changed();

private:
    void save();

    QString file_;
    Levelling levelling_ = Levelling::Off;
    double preampDb_ = 0;
    double untaggedDb_ = 0;
    Repeat repeat_ = Repeat::List;
    bool resume_ = false;
};
