#pragma once
// A Windows-style INI file read and edited in place, one key at a time.
//
// Every read opens the file as it is now (nothing is cached), so a value written by another object or
// program is seen at once. A write changes the one key's line, or adds the key at the end of its section,
// or adds the section at the end of the file; every other byte (comments, unknown keys, order, line ends,
// Big5 text) stays as it was. Section and key names compare without regard to ASCII case; double-byte
// characters are compared byte for byte.
#include <string>
#include <string_view>

namespace qv {

class IniFile {
public:
    explicit IniFile(std::string path) : path_(std::move(path)) {}

    const std::string& Path() const { return path_; }

    // The value of the key, blanks around it removed and one pair of enclosing quotes dropped; the default
    // when the file, the section or the key is missing. A key with an empty value gives "".
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;

    // The value as an integer; the default when the key is missing or its text is not an integer.
    int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;

    // Sets one key, creating the file or section when needed. The new file replaces the old one only when
    // it was written completely. False when nothing was changed: names or value that cannot be stored
    // (line breaks, an empty or untrimmed name, "=" in a key), an unreadable file or a failed write.
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    bool WriteInteger(std::string_view section, std::string_view key, int value);

private:
    std::string path_;
};

}  // namespace qv
