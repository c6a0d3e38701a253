#pragma once
// Data files shipped inside the program, so that it can lay them down where they are missing.
#include <string>

namespace qv {

// The shipped "singer.bin": no singer lines, the separator line, then the character-to-Zhuyin-key lines
// for every Big5 character with a Mandarin reading. Big5/ASCII bytes with CR LF line ends.
const std::string& ShippedSingerBin();

// The built-in Japanese reading table, Big5 text with CR LF line ends: pairs of a kana line (hiragana and
// katakana of one syllable) and a line of the kanji read with that first kana; a line of 57 "*"; then one
// "<kana> <romaji>" line per basic kana, hiragana before katakana.
const std::string& ShippedJapaneseTable();

// The placeholder picture ("song.bin" of the program folder, "000.jpg" of a song disk): a small JPEG that
// stands in for a song's missing media.
const std::string& ShippedPlaceholderPicture();

// The song-book templates "歌簿格式.xls" and "歌手歌簿格式.xls" (Excel 97 workbooks).
const std::string& ShippedSongBookTemplate();
const std::string& ShippedSingerBookTemplate();
// The screen-layout tables of the VKM jukebox, one per television resolution (UTF-8 text; see the
// notes at their top).
const std::string& ShippedVkmLayout720x480();
const std::string& ShippedVkmLayout1024x768();
const std::string& ShippedVkmLayout1280x720();

}  // namespace qv
