// Any bytes through the converter both ways. As Big5: the UTF-8 is well formed and converts back to a
// fixed point. As UTF-8: no ill-formed sequence turns into a single byte other than "?" (so no "/" or NUL
// is smuggled in), and text that fits Big5 comes back unchanged.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"

using fuzz::Require;

namespace {

// The single-byte characters of Big5 text (trail bytes skipped), "?" left out.
std::string SingleBytesOfBig5(const std::string& big5) {
    std::string out;
    for (size_t i = 0; i < big5.size(); i += qv::Big5CharLength(big5, i))
        if (qv::Big5CharLength(big5, i) == 1 && big5[i] != '?') out += big5[i];
    return out;
}

std::string AsciiOf(const std::string& text) {
    std::string out;
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x80 && c != '?') out += c;
    return out;
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (size_t p = 0; (p = text.find(from, p)) != std::string::npos; p += to.size())
        text.replace(p, from.size(), to);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);

    const std::string utf8 = qv::Big5ToUtf8(input);
    Require(fuzz::IsWellFormedUtf8(utf8));
    const std::string canonical = qv::Utf8ToBig5(utf8);
    std::string expected = utf8;
    ReplaceAll(expected, "\xEF\xBF\xBD", "?");  // what has no image comes back as "?"
    Require(qv::Big5ToUtf8(canonical) == expected);
    Require(qv::Utf8ToBig5(qv::Big5ToUtf8(canonical)) == canonical);

    const std::string big5 = qv::Utf8ToBig5(input);
    Require(SingleBytesOfBig5(big5) == AsciiOf(input));
    const bool fits = qv::Utf8FitsBig5(input);
    if (fits) {
        Require(fuzz::IsWellFormedUtf8(input));
        Require(qv::Big5ToUtf8(big5) == input);
    }
    if (!fuzz::IsWellFormedUtf8(input)) Require(!fits);
    return 0;
}
