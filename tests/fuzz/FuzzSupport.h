#pragma once
// What the fuzzers share: a failed property aborts, so libFuzzer keeps the input that broke it.
#include <cstdlib>
#include <string>

namespace fuzz {

inline void Require(bool condition) {
    if (!condition) std::abort();
}

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or code points past U+10FFFF).
inline bool IsWellFormedUtf8(const std::string& s) {
    for (size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        size_t len = b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
        if (len == 0 || i + len > s.size()) return false;
        char32_t cp = b & (0x7F >> len);
        for (size_t k = 1; k < len; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};  // by length
        if (cp < least[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += len;
    }
    return true;
}

}  // namespace fuzz
