#include "catalogue/LineCipher.h"

#include "catalogue/CharTw.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SongRecord.h"
#include "catalogue/TextFile.h"

namespace qv {

std::array<CipherTable, 256> LineEncodeTables;
std::array<CipherTable, 256> LineDecodeTables;

const uint16_t HexScrambleStartKey = 731;

namespace {

// Key material. Control bytes map to themselves; the rest is a permutation of 32..255 in which no
// digit of a line's first table becomes a digit, a sign or a blank, so an enciphered list never
// starts like a plain song number.
constexpr CipherTable kSeed = {
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F,
    0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F,
    0xE8, 0x58, 0xB5, 0xD4, 0x23, 0x3B, 0xBF, 0x73, 0xFE, 0x22, 0x81, 0x88, 0xAB, 0x2C, 0x43, 0x6F,
    0xA5, 0x3C, 0xB2, 0xCB, 0xE6, 0xA3, 0x62, 0x91, 0x85, 0xAF, 0xE9, 0xB6, 0xEE, 0xE3, 0xD3, 0x50,
    0x74, 0x94, 0x37, 0x75, 0xEB, 0x2D, 0xAC, 0x60, 0xC3, 0x5E, 0xC6, 0x2F, 0x4D, 0xA1, 0x9A, 0x4A,
    0x7C, 0x68, 0xB4, 0x61, 0x80, 0x57, 0xD2, 0x5B, 0x38, 0x79, 0x93, 0x34, 0x4C, 0xA7, 0xC8, 0x99,
    0xFA, 0x26, 0xDC, 0x33, 0x36, 0x55, 0x86, 0x47, 0x8B, 0xEA, 0x78, 0x30, 0xFC, 0xF9, 0xF0, 0xA9,
    0xE5, 0x96, 0xBC, 0xBA, 0x8E, 0x8C, 0xF8, 0x66, 0x40, 0xD0, 0x9C, 0xD5, 0x27, 0x25, 0xEC, 0x69,
    0x32, 0xE7, 0xC4, 0xD6, 0x82, 0x28, 0x2B, 0xB7, 0x4E, 0x4F, 0x41, 0x52, 0xAD, 0x95, 0xDB, 0x56,
    0x9B, 0x7D, 0xCE, 0xDE, 0xA4, 0x5C, 0xBB, 0xE1, 0xEF, 0x8A, 0x6C, 0xCA, 0xFB, 0x6E, 0xD1, 0xFD,
    0xCD, 0x98, 0x6B, 0x87, 0x39, 0xC0, 0xB0, 0x5D, 0xCF, 0x97, 0x2E, 0x21, 0x59, 0x76, 0x6D, 0xB8,
    0x31, 0xA8, 0xF3, 0xC9, 0xF1, 0x71, 0xA6, 0x2A, 0xDF, 0x64, 0x48, 0x5A, 0xF2, 0xD9, 0x83, 0xF4,
    0x6A, 0xED, 0xA2, 0x29, 0xF5, 0x7A, 0xC1, 0x35, 0xAE, 0x49, 0xBD, 0x89, 0xF7, 0x65, 0xB3, 0xD7,
    0xB1, 0x3D, 0x53, 0x24, 0x44, 0x3F, 0x5F, 0x7E, 0x20, 0x70, 0xA0, 0xFF, 0x84, 0x7B, 0x8D, 0x4B,
    0xF6, 0xB9, 0xC5, 0xC7, 0xDD, 0xDA, 0x77, 0x72, 0x42, 0xBE, 0xC2, 0x3A, 0x45, 0xAA, 0x9E, 0x3E,
    0x63, 0x9F, 0x51, 0x92, 0x7F, 0x54, 0xE0, 0xD8, 0x67, 0xE2, 0x46, 0xE4, 0x8F, 0x9D, 0xCC, 0x90,
};

constexpr uint8_t kFileMask = 0xA7;

std::string Substitute(const CipherTable& table, const std::string& text) {
    std::string out(text.size(), '\0');
    for (size_t i = 0; i < text.size(); ++i) {
        out[i] = static_cast<char>(table[static_cast<uint8_t>(text[i])]);
    }
    return out;
}

size_t TableOf(int lineIndex) { return static_cast<unsigned>(lineIndex) & 0xFFu; }

uint16_t NextKey(uint16_t key, uint8_t c) {
    return static_cast<uint16_t>((static_cast<uint32_t>(key) + c) * 52845u + 22719u);
}

bool StartsLikePlainLine(std::string_view line) { return IsInteger(std::string(line.substr(0, 5))); }

bool StartsLikePlainList(const std::vector<std::string>& lines) {
    return !lines.empty() && StartsLikePlainLine(lines.front());
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Unscrambles the hexadecimal form; a pair that is no hexadecimal number ends it with false when
// strict, else counts as the byte 0.
bool UnscrambleHexPairs(const std::string& hex, uint16_t key, bool strict, std::string& out) {
    out.clear();
    out.reserve(hex.size() / 2);
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        int hi = HexDigit(hex[i]);
        int lo = HexDigit(hex[i + 1]);
        uint8_t c = 0;
        if (hi >= 0 && lo >= 0) {
            c = static_cast<uint8_t>(hi * 16 + lo);
        } else if (strict) {
            out.clear();
            return false;
        }
        out += static_cast<char>(c ^ (key >> 8));
        key = NextKey(key, c);
    }
    return true;
}

}  // namespace

// A caller that runs before start-up has built the tables still gets the right bytes.
void EnsureLineCipherTables() {
    static const bool built = (BuildLineCipherTables(), true);
    (void)built;
}

void BuildLineCipherTables() {
    for (size_t k = 0; k < 256; ++k) {
        CipherTable& table = LineEncodeTables[k];
        for (size_t j = 0; j < 32; ++j) table[j] = kSeed[j];
        for (size_t j = 32; j < 256; ++j) table[j] = kSeed[32 + (j - 32 + k) % 224];
        for (size_t v = 0; v < 256; ++v) LineDecodeTables[k][table[v]] = static_cast<uint8_t>(v);
    }
}

std::string EncodeLine(int lineIndex, const std::string& text) {
    EnsureLineCipherTables();
    return Substitute(LineEncodeTables[TableOf(lineIndex)], text);
}

std::string DecodeLine(int lineIndex, const std::string& text) {
    EnsureLineCipherTables();
    return Substitute(LineDecodeTables[TableOf(lineIndex)], text);
}

void EncodeLineList(std::vector<std::string>& lines) {
    if (!StartsLikePlainList(lines)) return;
    for (size_t i = 0; i < lines.size(); ++i) lines[i] = EncodeLine(static_cast<int>(i), lines[i]);
}

void DecodeLineList(std::vector<std::string>& lines) {
    if (lines.empty() || StartsLikePlainList(lines)) return;
    for (size_t i = 0; i < lines.size(); ++i) lines[i] = DecodeLine(static_cast<int>(i), lines[i]);
}

bool ScrambleSongList2() {
    const std::string path = PathIn(LibraryRoot, "song.qv2");
    // Known from the start of the first line: an enciphered list, the usual case, is not read whole.
    std::string bytes;
    if (!ReadFileHead(path, bytes, 5, FinalLink::Refuse) ||
        !StartsLikePlainLine(bytes.substr(0, bytes.find_first_of("\r\n"))))
        return true;  // nothing to convert, or already enciphered
    if (!ReadSettledFile(path, bytes, SongListLimit, FinalLink::Refuse) || bytes.empty()) return true;
    std::vector<std::string> lines = SplitTextLines(bytes);
    EncodeLineList(lines);
    const std::string enciphered = JoinLinesCrLf(lines);
    return ReplaceFileContents(path, enciphered) && ReplaceFileContents(path + ".backup", enciphered);
}

void ScrambleBuffer(const uint8_t* source, uint8_t* target, uint16_t startKey, size_t count) {
    uint16_t key = startKey;
    for (size_t i = 0; i < count; ++i) {
        uint8_t c = static_cast<uint8_t>(source[i] ^ (key >> 8) ^ kFileMask);
        target[i] = c;
        key = NextKey(key, c);
    }
}

void UnscrambleBuffer(const uint8_t* source, uint8_t* target, uint16_t startKey, size_t count) {
    uint16_t key = startKey;
    for (size_t i = 0; i < count; ++i) {
        uint8_t c = source[i];  // read first: source and target may be the same buffer
        target[i] = static_cast<uint8_t>(c ^ (key >> 8) ^ kFileMask);
        key = NextKey(key, c);
    }
}

bool ScrambleFile(const std::string& sourcePath, const std::string& targetPath) {
    std::string bytes;
    if (!ReadFileBytes(sourcePath, bytes)) return false;
    auto* data = reinterpret_cast<uint8_t*>(bytes.data());
    ScrambleBuffer(data, data, FileScrambleStartKey, bytes.size());
    return ReplaceFileContents(targetPath, bytes);
}

std::string ScrambleToHex(const std::string& text, uint16_t startKey) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 2);
    uint16_t key = startKey;
    for (char p : text) {
        uint8_t c = static_cast<uint8_t>(static_cast<uint8_t>(p) ^ (key >> 8));
        key = NextKey(key, c);
        out += kDigits[c >> 4];
        out += kDigits[c & 0x0F];
    }
    return out;
}

std::string UnscrambleHex(const std::string& hex, uint16_t startKey) {
    std::string out;
    UnscrambleHexPairs(hex, startKey, true, out);
    return out;
}

std::string DescrambleHexString(const std::string& hex, uint16_t startKey) {
    std::string out;
    UnscrambleHexPairs(hex, startKey, false, out);
    return out;
}

}  // namespace qv
