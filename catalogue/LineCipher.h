#pragma once
// The line cipher of the song list files and the 16-bit stream scrambling of the jukeboxes' main data
// files and of short stored strings.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qv {

using CipherTable = std::array<uint8_t, 256>;
extern std::array<CipherTable, 256> LineEncodeTables;
extern std::array<CipherTable, 256> LineDecodeTables;

void BuildLineCipherTables();
// Builds the tables once if start-up has not yet; callers that read the tables directly call it first.
void EnsureLineCipherTables();
std::string EncodeLine(int lineIndex, const std::string& text);
std::string DecodeLine(int lineIndex, const std::string& text);
void EncodeLineList(std::vector<std::string>& lines);
void DecodeLineList(std::vector<std::string>& lines);

// Enciphers a plain "song.qv2" of LibraryRoot in place and writes its ".backup" copy.
bool ScrambleSongList2();

constexpr uint16_t FileScrambleStartKey = 27481;
extern const uint16_t HexScrambleStartKey;  // three decimal digits

void ScrambleBuffer(const uint8_t* source, uint8_t* target, uint16_t startKey, size_t count);
void UnscrambleBuffer(const uint8_t* source, uint8_t* target, uint16_t startKey, size_t count);
// False (and the target left as it was) when the source cannot be read or the target written.
bool ScrambleFile(const std::string& sourcePath, const std::string& targetPath);

std::string ScrambleToHex(const std::string& text, uint16_t startKey);
std::string UnscrambleHex(const std::string& hex, uint16_t startKey);        // empty on a bad pair
std::string DescrambleHexString(const std::string& hex, uint16_t startKey);  // a bad pair is byte 0

}  // namespace qv
