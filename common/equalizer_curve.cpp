#include "common/equalizer_curve.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <complex>
#include <sstream>

namespace {
constexpr double kPi = 3.14159265358979323846;

struct TypeName {
    const char* name;
    EqualizerFilter::Type type;
};
// The first name of each type is the one the preferences write.
constexpr TypeName kTypeNames[] = {
    {"PK", EqualizerFilter::Type::Peak},       {"PEQ", EqualizerFilter::Type::Peak},
    {"LSC", EqualizerFilter::Type::LowShelf},  {"LS", EqualizerFilter::Type::LowShelf},
    {"HSC", EqualizerFilter::Type::HighShelf}, {"HS", EqualizerFilter::Type::HighShelf},
    {"LP", EqualizerFilter::Type::LowPass},    {"LPQ", EqualizerFilter::Type::LowPass},
    {"HP", EqualizerFilter::Type::HighPass},   {"HPQ", EqualizerFilter::Type::HighPass},
};

bool Same(const std::string& a, const char* b) {
    return std::equal(a.begin(), a.end(), b, b + std::char_traits<char>::length(b),
                      [](char x, char y) { return std::toupper(static_cast<unsigned char>(x)) == y; });
}

// A number as written in these files, whatever the locale: "4.4", "-6.2"
// (a unit written onto it, "4.4dB", is cut off by the caller's `unit`).
std::optional<double> Number(std::string word, const char* unit = nullptr) {
    if (unit && word.size() > std::char_traits<char>::length(unit) &&
        Same(word.substr(word.size() - std::char_traits<char>::length(unit)), unit))
        word.resize(word.size() - std::char_traits<char>::length(unit));
    double value = 0;
    const char* end = word.data() + word.size();
    const auto [at, ec] = std::from_chars(word.data(), end, value);
    if (ec != std::errc() || at != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

bool InRange(double v, double lo, double hi) { return v >= lo && v <= hi; }

// "ON PK Fc 105 Hz Gain 4.4 dB Q 0.70" (after "Filter 1:"): the filter, or
// nothing when it is OFF. False when the words are no filter.
bool FilterLine(const std::vector<std::string>& w, size_t i, std::optional<EqualizerFilter>& out) {
    if (i + 1 >= w.size()) return false;
    const bool on = Same(w[i], "ON");
    if (!on && !Same(w[i], "OFF")) return false;
    const TypeName* type = nullptr;
    for (const TypeName& t : kTypeNames)
        if (Same(w[i + 1], t.name)) type = &t;
    if (!type) return false;
    EqualizerFilter f;
    f.type = type->type;
    bool hasHz = false, hasGain = false, hasQ = false;
    for (i += 2; i < w.size(); ++i) {
        std::optional<double> v;
        if (Same(w[i], "FC") && i + 1 < w.size() && (v = Number(w[++i], "HZ"))) {
            f.hz = *v;
            hasHz = true;
            if (i + 1 < w.size() && Same(w[i + 1], "HZ")) ++i;
        } else if (Same(w[i], "GAIN") && i + 1 < w.size() && (v = Number(w[++i], "DB"))) {
            f.gainDb = *v;
            hasGain = true;
            if (i + 1 < w.size() && Same(w[i + 1], "DB")) ++i;
        } else if (Same(w[i], "Q") && i + 1 < w.size() && (v = Number(w[++i]))) {
            f.q = *v;
            hasQ = true;
        } else {
            return false;
        }
    }
    const bool passes = f.type == EqualizerFilter::Type::LowPass || f.type == EqualizerFilter::Type::HighPass;
    if (!on) {
        out.reset();
        return true;
    }
    if (!hasHz || (!passes && !hasGain) || (f.type == EqualizerFilter::Type::Peak && !hasQ)) return false;
    if (passes) f.gainDb = 0;
    if (!InRange(f.hz, 10, 30000) || !InRange(f.gainDb, -30, 30) || !InRange(f.q, 0.01, 50)) return false;
    out = f;
    return true;
}
}  // namespace

std::vector<EqualizerFilter> EqualizerCurve::heardFilters() const {
    std::vector<EqualizerFilter> heard;
    if (!enabled) return heard;
    if (parametric) return filters;
    if (bandsDb == decltype(bandsDb){}) return heard;
    for (int b = 0; b < kBands; ++b)
        heard.push_back(
            {EqualizerFilter::Type::Peak, kBandHz[static_cast<size_t>(b)], bandsDb[static_cast<size_t>(b)], kBandQ});
    return heard;
}

double EqualizerCurve::heardPreampDb() const {
    if (!enabled) return 0;
    return parametric ? parametricPreampDb : preampDb;
}

Biquad DesignFilter(const EqualizerFilter& f, int rate) {
    const double w0 = 2 * kPi * f.hz / rate;
    const double cw = std::cos(w0);
    const double alpha = std::sin(w0) / (2 * f.q);
    const double a = std::pow(10.0, f.gainDb / 40);
    const double ra = 2 * std::sqrt(a) * alpha;
    double b0 = 1, b1 = 0, b2 = 0, a0 = 1, a1 = 0, a2 = 0;
    switch (f.type) {
    case EqualizerFilter::Type::Peak:
        b0 = 1 + alpha * a, b1 = -2 * cw, b2 = 1 - alpha * a;
        a0 = 1 + alpha / a, a1 = -2 * cw, a2 = 1 - alpha / a;
        break;
    case EqualizerFilter::Type::LowShelf:
        b0 = a * ((a + 1) - (a - 1) * cw + ra), b1 = 2 * a * ((a - 1) - (a + 1) * cw);
        b2 = a * ((a + 1) - (a - 1) * cw - ra);
        a0 = (a + 1) + (a - 1) * cw + ra, a1 = -2 * ((a - 1) + (a + 1) * cw), a2 = (a + 1) + (a - 1) * cw - ra;
        break;
    case EqualizerFilter::Type::HighShelf:
        b0 = a * ((a + 1) + (a - 1) * cw + ra), b1 = -2 * a * ((a - 1) + (a + 1) * cw);
        b2 = a * ((a + 1) + (a - 1) * cw - ra);
        a0 = (a + 1) - (a - 1) * cw + ra, a1 = 2 * ((a - 1) - (a + 1) * cw), a2 = (a + 1) - (a - 1) * cw - ra;
        break;
    case EqualizerFilter::Type::LowPass:
        b0 = (1 - cw) / 2, b1 = 1 - cw, b2 = (1 - cw) / 2;
        a0 = 1 + alpha, a1 = -2 * cw, a2 = 1 - alpha;
        break;
    case EqualizerFilter::Type::HighPass:
        b0 = (1 + cw) / 2, b1 = -(1 + cw), b2 = (1 + cw) / 2;
        a0 = 1 + alpha, a1 = -2 * cw, a2 = 1 - alpha;
        break;
    }
    return {b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0};
}

double ResponseDb(const EqualizerDesign& design, double hz, int rate) {
    const std::complex<double> z1 = std::polar(1.0, -2 * kPi * hz / rate);
    const std::complex<double> z2 = z1 * z1;
    double db = design.gainDb;
    for (const Biquad& q : design.biquads)
        db += 20 * std::log10(std::abs((q.b0 + q.b1 * z1 + q.b2 * z2) / (1.0 + q.a1 * z1 + q.a2 * z2)));
    return db;
}

EqualizerDesign DesignEqualizer(const EqualizerCurve& curve, int rate) {
    EqualizerDesign design;
    const std::vector<EqualizerFilter> heard = curve.heardFilters();
    for (const EqualizerFilter& f : heard)
        if (f.hz < rate * 0.49 && design.biquads.size() < EqualizerCurve::kMaxFilters) {
            design.filters.push_back(f);
            design.biquads.push_back(DesignFilter(f, rate));
        }
    design.gainDb = curve.heardPreampDb();
    if (design.biquads.empty() && design.gainDb <= 0) return design;
    // The highest the curve goes, looked for every 1/48 octave, at each
    // filter's own frequency and at both ends (where shelves are highest).
    double top = -1e9;
    auto look = [&](double hz) { top = std::max(top, ResponseDb(design, hz, rate)); };
    for (double hz = 1; hz < rate * 0.5; hz *= std::pow(2.0, 1.0 / 48)) look(hz);
    look(0);
    look(rate * 0.5);
    for (const EqualizerFilter& f : design.filters) look(f.hz);
    if (top > 0) design.gainDb -= top;
    return design;
}

std::optional<ParametricImport> ParseParametric(const std::string& text, ParametricFault& fault) {
    ParametricImport parsed;
    // As Windows editors save it, after a byte order mark.
    std::istringstream in(text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? text.substr(3) : text);
    int number = 0;
    auto bad = [&](ParametricFault::Kind kind, int line) {
        fault = {kind, line};
        return std::nullopt;
    };
    for (std::string line; std::getline(in, line);) {
        ++number;
        const std::vector<std::string> w = Words(line);
        if (w.empty() || w[0][0] == '#') continue;
        if (Same(w[0], "PREAMP:")) {
            const std::optional<double> db = w.size() >= 2 ? Number(w[1], "DB") : std::nullopt;
            if (!db || !InRange(*db, -30, 30) || w.size() > 3 || (w.size() == 3 && !Same(w[2], "DB")))
                return bad(ParametricFault::Kind::BadLine, number);
            parsed.preampDb = *db;
            continue;
        }
        // "Filter 1:", "Filter:" or "Filter1:"
        size_t i = 0;
        if (w[0].size() >= 6 && Same(w[0].substr(0, 6), "FILTER")) {
            while (i < w.size() && w[i].back() != ':') ++i;
            ++i;
        }
        std::optional<EqualizerFilter> filter;
        if (i == 0 || i > w.size() || i > 2 || !FilterLine(w, i, filter))
            return bad(ParametricFault::Kind::BadLine, number);
        if (!filter) continue;
        if (parsed.filters.size() == EqualizerCurve::kMaxFilters)
            return bad(ParametricFault::Kind::TooManyFilters, number);
        parsed.filters.push_back(*filter);
    }
    if (parsed.filters.empty()) return bad(ParametricFault::Kind::NoFilters, 0);
    return parsed;
}

std::string FilterWords(const EqualizerFilter& f) {
    std::string words;
    for (const TypeName& t : kTypeNames)
        if (t.type == f.type) {
            words = t.name;
            break;
        }
    for (double v : {f.hz, f.gainDb, f.q}) {
        char buffer[32];
        const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
        words += ' ';
        words.append(buffer, ec == std::errc() ? end : buffer);
    }
    return words;
}

std::optional<EqualizerFilter> FilterFromWords(const std::string& words) {
    const std::vector<std::string> w = Words(words);
    if (w.size() != 4) return std::nullopt;
    // As a file's line would say it.
    std::optional<EqualizerFilter> f;
    if (!FilterLine({"ON", w[0], "Fc", w[1], "Gain", w[2], "Q", w[3]}, 0, f)) return std::nullopt;
    return f;
}
