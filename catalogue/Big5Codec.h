#pragma once
// The one converter between the catalogue's Big5 (code page 950) bytes and UTF-8, used at the
// edges only: forms, file names, messages written in the sources as UTF-8 literals.
#include <string>
#include <string_view>

namespace qv {

// Big5 -> UTF-8. A byte pair with no Unicode image (and a lone lead byte at the end) becomes U+FFFD.
std::string Big5ToUtf8(std::string_view big5);

// UTF-8 -> Big5. A character that Big5 cannot hold becomes "?"; so does each ill-formed sequence
// (overlong forms, surrogates, code points above U+10FFFF, cut-short sequences, stray bytes). A character
// with two Big5 codes takes the one in the frequent-character block (A440-C67E).
std::string Utf8ToBig5(std::string_view utf8);

// True when every character of the UTF-8 text has a Big5 code.
bool Utf8FitsBig5(std::string_view utf8);

// Big5 bytes of a UTF-8 literal from the sources; converted once per distinct literal.
const std::string& B5(const char* utf8Literal);

}  // namespace qv
