#pragma once
// Splitting a duet's singer field into its two names. Big5 text.
#include <string>
#include <vector>

namespace qv {

// Splits at the first full-width blank, else the first "&", else "+", else blank (whole characters
// only), and trims both names of blanks and full-width blanks. With no separator, first := the whole
// text and second keeps its value (trimmed).
void SplitSingerPair(const std::string& singer, std::string& first, std::string& second);

// The parts of a singer field between blanks and full-width blanks (whole characters only): two
// separators in a row give an empty part between them, a separator at the end none.
std::vector<std::string> SplitSingerWords(const std::string& singer);

}  // namespace qv
