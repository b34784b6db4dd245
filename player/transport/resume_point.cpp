#include "transport/resume_point.h"

#include "common/file_util.h"
#include "common/log.h"
#include "media/media_component.h"
#include "transport/transport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <cmath>

namespace {
constexpr int kEveryMs = 30000;
}  // namespace

QString DefaultResumeFile() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state)) state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/corvalle-mp3-player/resume");
}

std::optional<ResumePoint> ReadResumePoint(const QString& file) {
    QFile in(file);
    if (in.size() > 8192 || !in.open(QIODevice::ReadOnly)) return std::nullopt;
    const QList<QByteArray> lines = in.readAll().split('\n');
    if (lines.size() < 3 || (lines.size() > 3 && !(lines.size() == 4 && lines[3].isEmpty()))) return std::nullopt;
    ResumePoint point;
    if (lines[0] == "paused")
        point.paused = true;
    else if (lines[0] != "playing")
        return std::nullopt;
    bool ok = false;
    point.seconds = lines[1].toDouble(&ok);
    if (!ok || !std::isfinite(point.seconds) || point.seconds < 0) return std::nullopt;
    point.path = lines[2].toStdString();
    if (point.path.empty() || point.path[0] != '/' || point.path.find('\0') != std::string::npos) return std::nullopt;
    return point;
}

bool WriteResumePoint(const QString& file, const std::optional<ResumePoint>& point) {
    if (!point) return !QFile::exists(file) || QFile::remove(file);
    QDir().mkpath(QFileInfo(file).absolutePath());
    const std::string text = std::string(point->paused ? "paused\n" : "playing\n") +
                             QByteArray::number(point->seconds, 'f', 3).toStdString() + '\n' + point->path + '\n';
    try {
        WriteFileAtomically(TextToPath(file), text);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

ResumeKeeper::ResumeKeeper(MediaComponent& media, Transport& transport, QString file, QObject* parent)
    : QObject(parent), media_(media), file_(std::move(file)), timer_(new QTimer(this)) {
    timer_->setInterval(kEveryMs);
    connect(timer_, &QTimer::timeout, this, &ResumeKeeper::Save);
    connect(&media_, &MediaComponent::stateChanged, this, &ResumeKeeper::Save);
    // A lost sound device stops the file but keeps its place, which Play
    // resumes: kept as a pause there.
    connect(&media_, &MediaComponent::deviceLost, this, [this] {
        if (ended_ || !enabled_ || media_.fileName().empty()) return;
        Keep(ResumePoint{media_.fileName(), media_.currentPosition(), true});
    });
    // The last point is the one before the program stops the component (Exit),
    // or that of a component still playing when the window was closed.
    auto last = [this] {
        Save();
        ended_ = true;
    };
    connect(&transport, &Transport::shuttingDown, this, last);
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, last);
}

void ResumeKeeper::setEnabled(bool on) {
    enabled_ = on;
    if (on)
        Save();
    else
        timer_->stop();
}

void ResumeKeeper::Save() {
    if (ended_ || !enabled_) return;
    const MediaComponent::State state = media_.state();
    std::optional<ResumePoint> point;
    if (state != MediaComponent::State::Stopped && !media_.fileName().empty())
        point = ResumePoint{media_.fileName(), media_.currentPosition(), state == MediaComponent::State::Paused};
    Keep(point);
    if (state == MediaComponent::State::Playing)
        timer_->start();
    else
        timer_->stop();
}

void ResumeKeeper::Keep(const std::optional<ResumePoint>& point) {
    if (!WriteResumePoint(file_, point)) qCInfo(lcFiles) << "the resume point was not written to" << file_;
}
