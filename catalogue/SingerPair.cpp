#include "catalogue/SingerPair.h"

#include "catalogue/CharTw.h"

namespace qv {

void SplitSingerPair(const std::string& singer, std::string& first, std::string& second) {
    // Earliest position of each separator, in the order of precedence; npos when absent.
    constexpr auto none = std::string::npos;
    std::size_t wide = none, amp = none, plus = none, blank = none;
    for (std::size_t i = 0; i < singer.size() && wide == none; ++i) {
        const auto c = static_cast<unsigned char>(singer[i]);
        if (IsBig5LeadByte(c)) {
            if (c == 0xA1 && i + 1 < singer.size() && singer[i + 1] == '\x40') wide = i;
            ++i;
        } else if (c == '&' && amp == none) {
            amp = i;
        } else if (c == '+' && plus == none) {
            plus = i;
        } else if (c == ' ' && blank == none) {
            blank = i;
        }
    }
    std::size_t at = none, width = 1;
    if (wide != none) {
        at = wide;
        width = 2;
    } else if (amp != none) {
        at = amp;
    } else if (plus != none) {
        at = plus;
    } else {
        at = blank;
    }
    if (at == none) {
        first = singer;
    } else {
        first = singer.substr(0, at);
        second = singer.substr(at + width);
    }
    first = TrimBlanks(first);
    second = TrimBlanks(second);
}

std::vector<std::string> SplitSingerWords(const std::string& singer) {
    std::vector<std::string> parts;
    std::string part;
    bool pending = false;
    for (std::size_t i = 0; i < singer.size(); ++i) {
        const auto c = static_cast<unsigned char>(singer[i]);
        const bool lead = IsBig5LeadByte(c) && i + 1 < singer.size();
        const bool wideBlank = lead && c == 0xA1 && singer[i + 1] == '\x40';
        if (wideBlank || c == ' ') {
            parts.push_back(std::move(part));
            part.clear();
            pending = false;
            if (wideBlank) ++i;
            continue;
        }
        part += singer[i];
        if (lead) part += singer[++i];
        pending = true;
    }
    if (pending) parts.push_back(std::move(part));
    return parts;
}

}  // namespace qv
