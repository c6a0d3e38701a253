#pragma once
// Helpers for checking the data files compiled into the program.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace qv::test {

// Lines of a CR LF text; a line break that is not CR LF, or a last line without one, fails the test.
inline std::vector<std::string> CrLfLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "last line has no CR LF";
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos)
            << "stray line break in line " << lines.size();
        lines.push_back(line);
        start = end + 2;
    }
    return lines;
}

// The committed file under resources/, to compare with what the program holds.
inline std::string CommittedResource(const std::string& name) {
    std::ifstream in(std::string(QV_SOURCE_DIR) + "/resources/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline bool IsBig5HanziCode(unsigned code) {
    const unsigned trail = code & 0xFF;
    const bool trailOk = (trail >= 0x40 && trail <= 0x7E) || (trail >= 0xA1 && trail <= 0xFE);
    return trailOk && ((code >= 0xA440 && code <= 0xC67E) || (code >= 0xC940 && code <= 0xF9D5));
}

}  // namespace qv::test
