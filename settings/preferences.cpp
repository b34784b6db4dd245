#include "settings/preferences.h"

#include "common/log.h"

#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>
#include <utility>

namespace {
const char* const kLevellingNames[] = {"off", "track", "album", "auto"};
const char* const kRepeatNames[] = {"list", "track", "off"};
const char* const kBooleanNames[] = {"false", "true"};

// The value of `key` as one of `names` (its index), or `fallback` (told once
// on the log) when it is none of them.
template <size_t N>
int Choice(const QSettings& file, const char* key, const char* const (&names)[N], int fallback) {
    if (!file.contains(QLatin1String(key))) return fallback;
    const QString value = file.value(QLatin1String(key)).toString().trimmed().toLower();
    for (size_t i = 0; i < N; ++i)
        if (value == QLatin1String(names[i])) return static_cast<int>(i);
    qCInfo(lcFiles) << "preferences:" << key << "=" << value << "is not known; taken as" << names[fallback];
    return fallback;
}

double Decibels(const QSettings& file, const char* key) {
    if (!file.contains(QLatin1String(key))) return 0;
    bool ok = false;
    const double db = file.value(QLatin1String(key)).toString().trimmed().toDouble(&ok);
    if (ok && std::isfinite(db) && db >= Preferences::kMinDb && db <= Preferences::kMaxDb) return db;
    qCInfo(lcFiles) << "preferences:" << key << "is no gain from -15 to 15 dB; taken as 0";
    return 0;
}

double InRange(double db) { return std::isfinite(db) ? std::clamp(db, Preferences::kMinDb, Preferences::kMaxDb) : 0.0; }
}  // namespace

QString Preferences::DefaultFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/corvalle-mp3-player/preferences.conf");
}

Preferences::Preferences(QString file, QObject* parent) : QObject(parent), file_(std::move(file)) {
    const QSettings stored(file_, QSettings::IniFormat);
    if (stored.status() != QSettings::NoError) qCInfo(lcFiles) << "preferences: cannot read" << file_;
    levelling_ = static_cast<Levelling>(Choice(stored, "replaygain/mode", kLevellingNames, 0));
    preampDb_ = Decibels(stored, "replaygain/preamp_db");
    untaggedDb_ = Decibels(stored, "replaygain/untagged_db");
    repeat_ = static_cast<Repeat>(Choice(stored, "playback/repeat", kRepeatNames, 0));
    resume_ = Choice(stored, "playback/resume", kBooleanNames, 0) == 1;
}

void Preferences::setLevelling(Levelling levelling, double preampDb, double untaggedDb) {
    preampDb = InRange(preampDb);
    untaggedDb = InRange(untaggedDb);
    if (levelling == levelling_ && preampDb == preampDb_ && untaggedDb == untaggedDb_) return;
    levelling_ = levelling;
    preampDb_ = preampDb;
    untaggedDb_ = untaggedDb;
    save();
}

void Preferences::setRepeat(Repeat repeat) {
    if (repeat == repeat_) return;
    repeat_ = repeat;
    save();
}

void Preferences::setResume(bool resume) {
    if (resume == resume_) return;
    resume_ = resume;
    save();
}

void Preferences::save() {
    // QSettings writes the file whole through a temporary one and a rename.
    QSettings stored(file_, QSettings::IniFormat);
    stored.setValue(QStringLiteral("replaygain/mode"), QLatin1String(kLevellingNames[static_cast<int>(levelling_)]));
    stored.setValue(QStringLiteral("replaygain/preamp_db"), preampDb_);
    stored.setValue(QStringLiteral("replaygain/untagged_db"), untaggedDb_);
    stored.setValue(QStringLiteral("playback/repeat"), QLatin1String(kRepeatNames[static_cast<int>(repeat_)]));
    stored.setValue(QStringLiteral("playback/resume"), resume_);
    stored.sync();
    if (stored.status() != QSettings::NoError) qCInfo(lcFiles) << "preferences: cannot write" << file_;
    emit changed();
}
