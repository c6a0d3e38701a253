#pragma once
// Big5 text helpers shared by the catalogue, the list view, the name parser and the index writers.
// Texts are Big5 bytes; positions are 1-based byte positions; a character is a single byte that is not
// a lead byte, or a lead byte with the byte that follows it.
#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace qv {

bool IsBig5LeadByte(unsigned char b);
bool IsBig5LeadByteEx(unsigned char b);  // also 0xC6 and 0xC7 (the kana rows)

// Bytes of the character that starts at byte i (0-based): 2 for a lead byte with a byte after it, else 1.
size_t Big5CharLength(const std::string& text, size_t i);
// Position of needle where a character of text starts, never inside a double-byte character, at or after
// byte from; std::string::npos when none.
size_t FindAligned(const std::string& text, const std::string& needle, size_t from = 0);

int Big5StrokeCountOfFirstChar(const std::string& text);  // 0..48
int CountSongWords(const std::string& name);              // >= 1

std::string TrimLeadingBlanks(const std::string& text);
std::string TrimTrailingBlanks(const std::string& text);
std::string TrimBlanks(const std::string& text);
std::string TrimAndCutName(const std::string& text, int width);
std::string FixTruncatedDbcsTail(const std::string& text);
bool ContainsDbcs(const std::string& text);
bool IsValidSongText(const std::string& text);
std::string ReplaceSingleByteChar(const std::string& text, char from, char to);
int PosCharDbcs(const std::string& text, int start, char byte);
std::string StripParenSuffix(const std::string& text);
std::string RemoveDelimited(const std::string& text, const std::string& open, const std::string& close);
std::string RemoveBracketGroups(const std::string& text);
std::string CleanFileNameTitle(const std::string& text);
std::string StripFileNameTags(const std::string& text);
int RemoveAsciiDigits(std::string& text);
std::string RepeatChar(char c, int n);
int SafeStrToInt(const std::string& text);
bool IsInteger(const std::string& text);

// ANSI lower-casing: single-byte A-Z only, double-byte characters stepped over whole.
std::string LowerCaseBig5(const std::string& text);

// Codes 1..9 and 1..8; index with code - 1. Big5 bytes.
const std::array<std::string, 9>& LanguageNames();
const std::array<std::string, 8>& SingerClassNames();
int LanguageCodeOfName(const std::string& name);     // 5 when unknown
int SingerClassCodeOfName(const std::string& name);  // 5 when unknown
// Name of a code given as text or number; an unknown code gives the name of code 5 (其他).
const std::string& LanguageNameOfCode(int code);
const std::string& SingerClassNameOfCode(int code);

std::string ValidFontSize(const std::string& value, const std::string& defaultValue);

// Files below path (path itself when it is no folder); folders are never added, symbolic links to
// folders are not followed. Paths are POSIX; entries are appended as path + "/" + name.
void CollectFilesRecursive(std::vector<std::string>& list, const std::string& path);

}  // namespace qv
