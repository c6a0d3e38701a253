#pragma once
// Splitting a duet's singer field into its two names. Big5 text.
#include <string>

namespace qv {

// Splits at the first full-width blank, else the first "&", else "+", else blank (whole characters
// only), and trims both names of blanks and full-width blanks. With no separator, first := the whole
// text and second keeps its value (trimmed).
void SplitSingerPair(const std::string& singer, std::string& first, std::string& second);

}  // namespace qv
