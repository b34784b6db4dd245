#include "tags/ansi_text.h"

#include <iconv.h>
#include <QList>
#include <cerrno>
#include <cstdlib>
#include <map>

namespace {

struct LanguagePage {
    const char* language;
    int page;
};
constexpr LanguagePage kPages[] = {
    {"ru", 1251}, {"uk", 1251}, {"be", 1251}, {"bg", 1251}, {"sr", 1251}, {"mk", 1251}, {"pl", 1250}, {"cs", 1250},
    {"sk", 1250}, {"hu", 1250}, {"sl", 1250}, {"hr", 1250}, {"ro", 1250}, {"bs", 1250}, {"sq", 1250}, {"el", 1253},
    {"tr", 1254}, {"az", 1254}, {"he", 1255}, {"ar", 1256}, {"fa", 1256}, {"ur", 1256}, {"lt", 1257}, {"lv", 1257},
    {"et", 1257}, {"vi", 1258}, {"th", 874},  {"ja", 932},  {"ko", 949},
};

// One pair of converters per code page and thread (an iconv_t must not be
// used by two threads at once); closed when the thread ends.
struct Converters {
    iconv_t decode = reinterpret_cast<iconv_t>(-1);  // page -> UTF-8
    iconv_t encode = reinterpret_cast<iconv_t>(-1);  // UTF-8 -> page
};

class ConverterCache {
public:
    ~ConverterCache() {
        for (auto& [page, c] : cache_) {
            if (c.decode != reinterpret_cast<iconv_t>(-1)) iconv_close(c.decode);
            if (c.encode != reinterpret_cast<iconv_t>(-1)) iconv_close(c.encode);
        }
    }
    Converters& forPage(int page) {
        auto it = cache_.find(page);
        if (it != cache_.end()) return it->second;
        const std::string name = "CP" + std::to_string(page);
        Converters c;
        c.decode = iconv_open("UTF-8", name.c_str());
        c.encode = iconv_open(name.c_str(), "UTF-8");
        return cache_.emplace(page, c).first->second;
    }

private:
    std::map<int, Converters> cache_;
};

Converters& ConvertersFor(int page) {
    thread_local ConverterCache cache;
    return cache.forPage(page);
}

bool Valid(iconv_t cd) { return cd != reinterpret_cast<iconv_t>(-1); }

// Converts all of `in`; false when iconv refuses at some point (the output
// then holds what was converted before it, and `in` points at the refusal).
bool Convert(iconv_t cd, const char*& in, size_t& inLeft, std::string& out) {
    char buffer[256];
    for (;;) {
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        size_t r = iconv(cd, const_cast<char**>(in ? &in : nullptr), in ? &inLeft : nullptr, &dst, &dstLeft);
        out.append(buffer, sizeof buffer - dstLeft);
        if (r != static_cast<size_t>(-1)) return true;
        if (errno != E2BIG) return false;
    }
}

// The text of one byte the page does not define.
QChar Undefined(unsigned char byte) { return byte >= 0x80 && byte < 0xA0 ? QChar(byte) : QChar(0xFFFD); }

}  // namespace

int AnsiCodePageOf(const std::string& locale) {
    const size_t end = locale.find_first_of("_.@");
    const std::string language = locale.substr(0, end);
    if (language == "zh") {
        const size_t under = locale.find('_');
        const std::string territory = under == std::string::npos ? std::string() : locale.substr(under + 1, 2);
        if (territory == "TW" || territory == "HK") return 950;
        if (territory == "CN" || territory == "SG") return 936;
        return 1252;
    }
    if (language == "sr" && locale.find("@latin") != std::string::npos) return 1250;
    for (const LanguagePage& lp : kPages)
        if (language == lp.language) return lp.page;
    return 1252;
}

int AnsiCodePage() {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) return AnsiCodePageOf(value);
    }
    return 1252;
}

QString FromAnsi(const char* data, size_t size) {
    Converters& c = ConvertersFor(AnsiCodePage());
    if (!Valid(c.decode)) return QString::fromLatin1(data, static_cast<qsizetype>(size));
    QString text;
    text.reserve(static_cast<qsizetype>(size));
    const char* in = data;
    size_t left = size;
    iconv(c.decode, nullptr, nullptr, nullptr, nullptr);
    while (left > 0) {
        std::string utf8;
        const bool whole = Convert(c.decode, in, left, utf8);
        text += QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
        if (whole) break;
        // An undefined byte, or a lead byte without its second half.
        text += Undefined(static_cast<unsigned char>(*in));
        ++in;
        --left;
        iconv(c.decode, nullptr, nullptr, nullptr, nullptr);
    }
    std::string tail;  // a character the converter still holds (Vietnamese tone marks)
    const char* none = nullptr;
    size_t zero = 0;
    Convert(c.decode, none, zero, tail);
    text += QString::fromUtf8(tail.data(), static_cast<qsizetype>(tail.size()));
    return text;
}

bool AnsiHolds(const QString& text) {
    const std::string bytes = ToAnsi(text);
    return FromAnsi(bytes.data(), bytes.size()) == text;
}

std::string ToAnsi(const QString& text, size_t maxBytes) {
    const int page = AnsiCodePage();
    Converters& c = ConvertersFor(page);
    std::string out;
    const QList<uint> points = text.toUcs4();
    for (const uint point : points) {
        const char32_t cp = point;
        std::string bytes;
        bool done = false;
        if (Valid(c.encode)) {
            const QByteArray one = QString::fromUcs4(&cp, 1).toUtf8();
            const char* in = one.constData();
            size_t left = static_cast<size_t>(one.size());
            const char* flush = nullptr;
            size_t none = 0;
            iconv(c.encode, nullptr, nullptr, nullptr, nullptr);
            done = Convert(c.encode, in, left, bytes) && Convert(c.encode, flush, none, bytes);
        } else if (cp < 0x100) {
            bytes.assign(1, static_cast<char>(cp));
            done = true;
        }
        if (!done) {
            bytes = "?";
            if (cp >= 0x80 && cp < 0xA0) {
                // A control character read from a byte the page leaves undefined.
                const char byte = static_cast<char>(cp);
                if (FromAnsi(&byte, 1) == QString(QChar(cp))) bytes.assign(1, byte);
            }
        }
        if (out.size() + bytes.size() > maxBytes) break;
        out += bytes;
    }
    return out;
}
