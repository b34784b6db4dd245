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

std::optional<double> Gain(const QString& text, double limit) {
    bool ok = false;
    const double db = text.trimmed().toDouble(&ok);
    if (ok && std::isfinite(db) && db >= -limit && db <= limit) return db;
    return std::nullopt;
}

double Decibels(const QSettings& file, const QString& key, double limit) {
    if (!file.contains(key)) return 0;
    if (const std::optional<double> db = Gain(file.value(key).toString(), limit)) return *db;
    qCInfo(lcFiles) << "preferences:" << key << "is no gain from" << -limit << "to" << limit << "dB; taken as 0";
    return 0;
}

// Ten gains, or none (told) when the value is not that.
std::optional<std::array<double, EqualizerCurve::kBands>> BandGains(const QSettings& file, const QString& key) {
    if (!file.contains(key)) return std::nullopt;
    const QStringList words = file.value(key).toStringList();
    std::array<double, EqualizerCurve::kBands> bands{};
    bool ok = words.size() == EqualizerCurve::kBands;
    for (int b = 0; ok && b < EqualizerCurve::kBands; ++b) {
        const std::optional<double> db = Gain(words[b], EqualizerCurve::kMaxDb);
        ok = db.has_value();
        if (ok) bands[static_cast<size_t>(b)] = *db;
    }
    if (ok) return bands;
    qCInfo(lcFiles) << "preferences:" << key << "is not ten gains from -12 to 12 dB; taken as 0";
    return std::nullopt;
}

QStringList BandWords(const std::array<double, EqualizerCurve::kBands>& bands) {
    QStringList words;
    for (double db : bands) words << QString::number(db);
    return words;
}

double InRange(double db, double limit) { return std::isfinite(db) ? std::clamp(db, -limit, limit) : 0.0; }

const char* const kSourceNames[] = {"bands", "parametric"};
constexpr double kParametricLimitDb = 30;

void ReadEqualizer(const QSettings& stored, EqualizerCurve& eq, QString& preset) {
    eq.enabled = Choice(stored, "equalizer/enabled", kBooleanNames, 0) == 1;
    eq.preampDb = Decibels(stored, QStringLiteral("equalizer/preamp_db"), EqualizerCurve::kMaxDb);
    if (auto bands = BandGains(stored, QStringLiteral("equalizer/bands_db"))) eq.bandsDb = *bands;
    preset = stored.value(QStringLiteral("equalizer/preset"), preset).toString();
    eq.parametric = Choice(stored, "equalizer/source", kSourceNames, 0) == 1;
    eq.parametricPreampDb = Decibels(stored, QStringLiteral("equalizer/parametric_preamp_db"), kParametricLimitDb);
    for (const QString& words : stored.value(QStringLiteral("equalizer/parametric_filters")).toStringList()) {
        const std::optional<EqualizerFilter> f = FilterFromWords(words.toStdString());
        if (!f || eq.filters.size() == EqualizerCurve::kMaxFilters) {
            qCInfo(lcFiles) << "preferences: equalizer/parametric_filters cannot be read; taken as none";
            eq.filters.clear();
            break;
        }
        eq.filters.push_back(*f);
    }
    if (eq.parametric && eq.filters.empty()) eq.parametric = false;
}
}  // namespace

QString Preferences::DefaultFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/corvalle-mp3-player/preferences.conf");
}

Preferences::Preferences(QString file, QObject* parent) : QObject(parent), file_(std::move(file)) {
    QSettings stored(file_, QSettings::IniFormat);  // not const: arrays are read through a group
    if (stored.status() != QSettings::NoError) qCInfo(lcFiles) << "preferences: cannot read" << file_;
    levelling_ = static_cast<Levelling>(Choice(stored, "replaygain/mode", kLevellingNames, 0));
    preampDb_ = Decibels(stored, QStringLiteral("replaygain/preamp_db"), kMaxDb);
    untaggedDb_ = Decibels(stored, QStringLiteral("replaygain/untagged_db"), kMaxDb);
    repeat_ = static_cast<Repeat>(Choice(stored, "playback/repeat", kRepeatNames, 0));
    resume_ = Choice(stored, "playback/resume", kBooleanNames, 0) == 1;
    ReadEqualizer(stored, equalizer_, preset_);
    sink_ = stored.value(QStringLiteral("output/sink")).toString().trimmed();
    const int count = stored.beginReadArray(QStringLiteral("equalizer_presets"));
    for (int i = 0; i < count; ++i) {
        stored.setArrayIndex(i);
        Preset p;
        p.name = stored.value(QStringLiteral("name")).toString().trimmed();
        const auto bands = BandGains(stored, QStringLiteral("bands_db"));
        p.preampDb = Decibels(stored, QStringLiteral("preamp_db"), EqualizerCurve::kMaxDb);
        if (p.name.isEmpty() || !bands) continue;
        p.bandsDb = *bands;
        presets_.push_back(p);
    }
    stored.endArray();
}

void Preferences::setEqualizer(const EqualizerCurve& curve, const QString& preset) {
    EqualizerCurve eq = curve;
    eq.preampDb = InRange(eq.preampDb, EqualizerCurve::kMaxDb);
    for (double& db : eq.bandsDb) db = InRange(db, EqualizerCurve::kMaxDb);
    eq.parametricPreampDb = InRange(eq.parametricPreampDb, kParametricLimitDb);
    if (eq.filters.size() > EqualizerCurve::kMaxFilters) eq.filters.resize(EqualizerCurve::kMaxFilters);
    if (eq == equalizer_ && preset == preset_) return;
    equalizer_ = eq;
    preset_ = preset;
    save();
}

void Preferences::setOutputSink(const QString& sink) {
    if (sink == sink_) return;
    sink_ = sink;
    save();
}

void Preferences::saveUserPreset(const Preset& preset) {
    Preset p = preset;
    p.preampDb = InRange(p.preampDb, EqualizerCurve::kMaxDb);
    for (double& db : p.bandsDb) db = InRange(db, EqualizerCurve::kMaxDb);
    auto same = std::find_if(presets_.begin(), presets_.end(), [&](const Preset& q) { return q.name == p.name; });
    if (same != presets_.end())
        *same = p;
    else
        presets_.push_back(p);
    save();
}

void Preferences::setLevelling(Levelling levelling, double preampDb, double untaggedDb) {
    preampDb = InRange(preampDb, kMaxDb);
    untaggedDb = InRange(untaggedDb, kMaxDb);
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
    stored.setValue(QStringLiteral("equalizer/enabled"), equalizer_.enabled);
    stored.setValue(QStringLiteral("equalizer/preamp_db"), equalizer_.preampDb);
    stored.setValue(QStringLiteral("equalizer/bands_db"), BandWords(equalizer_.bandsDb));
    stored.setValue(QStringLiteral("equalizer/preset"), preset_);
    stored.setValue(QStringLiteral("equalizer/source"), QLatin1String(kSourceNames[equalizer_.parametric ? 1 : 0]));
    stored.setValue(QStringLiteral("equalizer/parametric_preamp_db"), equalizer_.parametricPreampDb);
    QStringList filters;
    for (const EqualizerFilter& f : equalizer_.filters) filters << QString::fromStdString(FilterWords(f));
    // An empty list would be written as "@Invalid()".
    if (filters.isEmpty())
        stored.setValue(QStringLiteral("equalizer/parametric_filters"), QString());
    else
        stored.setValue(QStringLiteral("equalizer/parametric_filters"), filters);
    stored.setValue(QStringLiteral("output/sink"), sink_);
    stored.beginWriteArray(QStringLiteral("equalizer_presets"), static_cast<int>(presets_.size()));
    for (int i = 0; i < presets_.size(); ++i) {
        stored.setArrayIndex(i);
        stored.setValue(QStringLiteral("name"), presets_[i].name);
        stored.setValue(QStringLiteral("bands_db"), BandWords(presets_[i].bandsDb));
        stored.setValue(QStringLiteral("preamp_db"), presets_[i].preampDb);
    }
    stored.endArray();
    stored.sync();
    if (stored.status() != QSettings::NoError) qCInfo(lcFiles) << "preferences: cannot write" << file_;
    emit changed();
}
