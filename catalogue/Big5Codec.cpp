#include "catalogue/Big5Codec.h"

#include <iconv.h>

#include <array>
#include <cstring>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace qv {
namespace {

// Code page 950 through glibc ("BIG5" and "CP950" both name it there); the kana block C6A1..C8FE
// exists only in BIG5-HKSCS, which maps it like the Windows code page's user area the catalogue uses.
struct Tables {
    std::array<char32_t, 65536> toUnicode{};        // Big5 code -> code point, 0 = none
    std::unordered_map<char32_t, uint16_t> toBig5;  // code point -> Big5 code
};

bool IsFrequentBlock(unsigned code) { return code >= 0xA440 && code <= 0xC67E; }

char32_t DecodePair(iconv_t cd, unsigned char lead, unsigned char trail) {
    char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    char out[16];
    char* inp = in;
    char* outp = out;
    size_t inLeft = 2, outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) return 0;
    size_t n = sizeof out - outLeft;
    if (n != 4) return 0;  // one code point only (HKSCS has a few that decode to two)
    uint32_t cp;
    std::memcpy(&cp, out, 4);
    return static_cast<char32_t>(cp);
}

const Tables& GetTables() {
    static std::unique_ptr<Tables> tables;
    static std::once_flag once;
    std::call_once(once, [] {
        auto t = std::make_unique<Tables>();
        iconv_t cp950 = iconv_open("UTF-32LE", "CP950");
        iconv_t hkscs = iconv_open("UTF-32LE", "BIG5-HKSCS");
        for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
            for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
                unsigned code = lead * 256 + trail;
                bool kana = code >= 0xC6A1 && code <= 0xC8FE;
                iconv_t cd = kana ? hkscs : cp950;
                if (cd == reinterpret_cast<iconv_t>(-1)) continue;
                char32_t cp =
                    DecodePair(cd, static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
                if (cp == 0) continue;
                t->toUnicode[code] = cp;
                // Two codes of one character: the frequent-character block's code is the one the
                // stroke, reading and duplicate rules know; otherwise the lowest code.
                auto [it, added] = t->toBig5.emplace(cp, static_cast<uint16_t>(code));
                if (!added && IsFrequentBlock(code) && !IsFrequentBlock(it->second))
                    it->second = static_cast<uint16_t>(code);
            }
        }
        if (cp950 != reinterpret_cast<iconv_t>(-1)) iconv_close(cp950);
        if (hkscs != reinterpret_cast<iconv_t>(-1)) iconv_close(hkscs);
        tables = std::move(t);
    });
    return *tables;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

constexpr char32_t kInvalid = 0xFFFFFFFF;

// Next code point of UTF-8 text. An ill-formed sequence (overlong, surrogate, above U+10FFFF, cut short,
// stray continuation byte) gives kInvalid and consumes its longest valid-looking start, at least one byte,
// so "C0 AF" can never pass for "/".
char32_t NextUtf8(std::string_view s, size_t& i) {
    auto byteAt = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b = byteAt(i);
    if (b < 0x80) {
        ++i;
        return b;
    }
    int len = 0;
    unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
        len = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        len = 3;
        if (b == 0xE0) lo = 0xA0;
        if (b == 0xED) hi = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        len = 4;
        if (b == 0xF0) lo = 0x90;
        if (b == 0xF4) hi = 0x8F;
    } else {
        ++i;
        return kInvalid;
    }
    char32_t cp = b & (0x7F >> len);
    for (int k = 1; k < len; ++k) {
        const size_t at = i + static_cast<size_t>(k);
        const unsigned char c = at < s.size() ? byteAt(at) : 0;
        if (c < (k == 1 ? lo : 0x80) || c > (k == 1 ? hi : 0xBF)) {
            i = at;
            return kInvalid;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    i += static_cast<size_t>(len);
    return cp;
}

}  // namespace

std::string Big5ToUtf8(std::string_view big5) {
    const Tables& t = GetTables();
    std::string out;
    out.reserve(big5.size() * 3 / 2);
    for (size_t i = 0; i < big5.size();) {
        auto b = static_cast<unsigned char>(big5[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
        } else if (b >= 0x81 && b <= 0xFE && i + 1 < big5.size()) {
            char32_t cp = t.toUnicode[b * 256 + static_cast<unsigned char>(big5[i + 1])];
            AppendUtf8(out, cp ? cp : 0xFFFD);
            i += 2;
        } else {
            AppendUtf8(out, 0xFFFD);
            ++i;
        }
    }
    return out;
}

std::string Utf8ToBig5(std::string_view utf8) {
    const Tables& t = GetTables();
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp = NextUtf8(utf8, i);
        if (cp < 0x80) {
            out += static_cast<char>(cp);
            continue;
        }
        auto it = t.toBig5.find(cp);
        if (it == t.toBig5.end()) {
            out += '?';
        } else {
            out += static_cast<char>(it->second >> 8);
            out += static_cast<char>(it->second & 0xFF);
        }
    }
    return out;
}

bool Utf8FitsBig5(std::string_view utf8) {
    const Tables& t = GetTables();
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp = NextUtf8(utf8, i);
        if (cp >= 0x80 && !t.toBig5.contains(cp)) return false;
    }
    return true;
}

const std::string& B5(const char* utf8Literal) {
    static std::mutex m;
    static std::unordered_map<const char*, std::string> cache;
    std::lock_guard lock(m);
    auto it = cache.find(utf8Literal);
    if (it == cache.end()) it = cache.emplace(utf8Literal, Utf8ToBig5(utf8Literal)).first;
    return it->second;
}

}  // namespace qv
