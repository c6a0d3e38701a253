#pragma once
// Data files shipped inside the program, so that it can lay them down where they are missing.
#include <string>

namespace qv {

// The shipped "singer.bin": no singer lines, the separator line, then the character-to-Zhuyin-key lines
// for every Big5 character with a Mandarin reading. Big5/ASCII bytes with CR LF line ends.
const std::string& ShippedSingerBin();

}  // namespace qv
