#pragma once
// What the player asks of its media player component: the operations, the
// two events the window handles and the state the desktop's controls show.
// It is no widget: the window draws its control bar over it. The real
// component is MediaPlayer (an engine over libmpg123 and libpulse or ALSA); tests use a
// double.
#include <QObject>
#include <QStringList>
#include <string>

#include "common/equalizer_curve.h"
#include "engine/audio_output.h"
#include "engine/decoder.h"

class MediaComponent : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~MediaComponent() override = default;

    enum class State { Stopped, Playing, Paused };

    // Enabled: the component accepts the calls that follow (its control bar
    // follows it through enabledChanged).
    virtual void setComponentEnabled(bool enabled) = 0;
    virtual bool componentEnabled() const = 0;
    // FileName: the file to play (path bytes). Stops what plays, opens the
    // file and, once its length is known, raises lengthKnown. With auto-start
    // on, playback of the new file starts at once. Throws AppError; a file
    // that does not answer within a moment (a stalled share) is one that
    // cannot be opened. The same file again after a deviceLost resumes where
    // it stopped.
    virtual void setFileName(const std::string& path) = 0;
    virtual std::string fileName() const = 0;
    // AutoStart.
    virtual void setAutoStart(bool autoStart) = 0;
    // Play: starts (or resumes) playback of the current file. Throws AppError
    // for the file; the sound device is opened apart, and one that cannot be
    // opened is told by deviceLost.
    virtual void play() = 0;
    // Stop: stops playback. Never throws.
    virtual void stop() = 0;
    // Holds playback where it is; play() resumes from there. Never throws.
    virtual void pause() = 0;
    // The next play() of the file set now starts at `seconds` (a place kept
    // from an earlier run), with `paused` held there as after a pause,
    // nothing of it heard; setting another file forgets it.
    virtual void setStartPosition(double seconds, bool paused) = 0;
    // Volume levelling for what plays (heard in a moment, without a break,
    // the position untouched) and for every file after it.
    virtual void setLevelling(const Decoder::Levelling& levelling) = 0;
    // The equalizer, the same way.
    virtual void setEqualizer(const EqualizerCurve& curve) = 0;
    // The output to play on by its name (a sound server's sink, or an ALSA
    // device); empty follows the system's default. What plays goes there
    // at once.
    virtual void setOutputDevice(const std::string& name) = 0;
    // Lists the outputs (outputsListed tells them), and keeps telling them
    // as they come and go.
    virtual void listOutputs() = 0;
    // Moves the playing or paused file to `seconds` (nothing when stopped).
    virtual void seek(double seconds) = 0;
    // Fades what plays out over `seconds` in the player's own sound (not the
    // master volume), then pauses; Play resumes at the full level. Nothing
    // when not playing.
    virtual void fadeOutAndPause(double seconds) = 0;
    // Playing, paused or stopped; a file that has played to its end is
    // stopped. The control bar can change it too.
    virtual State state() const = 0;
    // CurrentPosition in seconds; answered at every call, 0 with nothing
    // loaded; never ahead of what has been heard. After a deviceLost, the
    // place playback will resume from.
    virtual double currentPosition() const = 0;
    // Whether currentPosition() runs on by itself: while playing, and while
    // the last moments of a file that has ended are still heard (it is
    // stopped already then). Otherwise it changes only with a stateChanged
    // or a positionJumped.
    virtual bool positionRuns() const = 0;
    // Duration of the current file in seconds; 0 with nothing loaded.
    virtual double duration() const = 0;
    // True when the file that ended last (see endReached) broke off on a
    // failure (it could not be read further) before anything of it was
    // heard. A lost sound device is no end (see deviceLost).
    virtual bool endFailedUnheard() const = 0;

signals:
    // The current file has ended: decoded to its last frame, or broken off
    // because it cannot be read further. Told up to half a second before its
    // last sound is heard, so that a file played now follows it without a
    // gap; until that sound is out the state is Stopped already while
    // positionRuns() stays true, and then positionJumped is told.
    void endReached();
    // The length of the newly loaded file is known.
    void lengthKnown();
    // The state or the file has changed, whatever changed it.
    void stateChanged();
    // The position was moved (a seek): it does not run on from where it was.
    // Also told when it comes to rest other than where a call put it: a
    // pause taking hold, a stop (back to 0, from a stopped file too), and
    // the end of the last sound of a file that has ended (back to 0).
    void positionJumped();
    // The sound device could not be opened, or was lost during playback (it
    // went away, or stopped taking sound) and did not come back within a few
    // seconds: playback has stopped, keeping its place (Play of the same
    // file resumes there), and no end is told. `description` is the
    // failure's one-line text ("No sound device is available (...)").
    void deviceLost(const QString& description);
    // What became of the output chosen (its name): it went or cannot be
    // opened, and the default plays; it came back. Playback goes on.
    void outputNotice(AudioOutput::Notice what, const QString& output);
    // The outputs there are: their names and their descriptions.
    void outputsListed(const QStringList& names, const QStringList& descriptions);
    void enabledChanged(bool enabled);
};
