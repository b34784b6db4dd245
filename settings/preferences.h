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
//   [equalizer]  enabled = true | false
//                preamp_db = -12 .. 12
//                bands_db = ten gains, -12 .. 12 each, 31 Hz ... 16 kHz
//                preset = the name of the preset last chosen (Flat)
//                source = bands | parametric   (the imported filters instead
//                                               of the bands)
//                parametric_preamp_db = -30 .. 30
//                parametric_filters = up to 16 filters, each as
//                    "type Hz dB Q" (type PK, LSC, HSC, LP or HP), e.g.
//                    PK 105 4.4 0.7, LSC 105 5.5 0.71
//   [output]     sink = the output's name (a sound server's sink, or an
//                ALSA device); empty follows the system's default
//   [equalizer_presets] the user's presets as an array: n\name and
//                n\bands_db, n\preamp_db as above
// A missing file gives the defaults (off, 0, 0, list, false; the equalizer
// off and flat), which leave the player as it was; a value that cannot be
// read gets its default, with one line on the corvalle.files log and no
// message box.
#include "common/equalizer_curve.h"

#include <QObject>
#include <QString>
#include <QVector>

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
    const EqualizerCurve& equalizer() const { return equalizer_; }
    const QString& equalizerPreset() const { return preset_; }
    struct Preset {
        QString name;
        std::array<double, EqualizerCurve::kBands> bandsDb{};
        double preampDb = 0;
    };
    const QVector<Preset>& userPresets() const { return presets_; }
    const QString& outputSink() const { return sink_; }
    bool resume() const { return resume_; }

    // Each stores the file and tells `changed` when something changed; a
    // gain outside the range is taken as its nearest end.
    void setLevelling(Levelling levelling, double preampDb, double untaggedDb);
    void setRepeat(Repeat repeat);
    void setResume(bool resume);
    // Gains out of range are taken as their nearest end.
    void setEqualizer(const EqualizerCurve& curve, const QString& preset);
    // Replaces the user's preset of the same name, or adds it.
    void saveUserPreset(const Preset& preset);
    void setOutputSink(const QString& sink);

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
    EqualizerCurve equalizer_;
    QString preset_ = QStringLiteral("Flat");
    QVector<Preset> presets_;
    QString sink_;
};
