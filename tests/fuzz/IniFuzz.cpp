// Any bytes as "setting.ini", then one key written: reading never fails on the file; a write that is
// accepted reads back as written and leaves every other key's value as it was; a refused write leaves
// the file's bytes alone.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "catalogue/CharTw.h"
#include "catalogue/TextFile.h"
#include "settings/IniFile.h"

using fuzz::Require;

namespace {

// What a read gives for a stored value: blanks around it removed, one pair of quotes dropped.
std::string AsRead(std::string value) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!value.empty() && blank(value.front())) value.erase(0, 1);
    while (!value.empty() && blank(value.back())) value.pop_back();
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

bool SameName(const std::string& a, const std::string& b) {
    return qv::LowerCaseBig5(a) == qv::LowerCaseBig5(b);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string section = in.ConsumeRandomLengthString(12);
    const std::string key = in.ConsumeRandomLengthString(12);
    const std::string value = in.ConsumeRandomLengthString(24);
    const std::string otherSection = in.ConsumeBool() ? section : in.ConsumeRandomLengthString(12);
    const std::string otherKey = in.ConsumeRandomLengthString(12);
    const bool asInteger = in.ConsumeBool();
    const int number = in.ConsumeIntegral<int>();
    const std::string file = in.ConsumeRemainingBytesAsString();

    const std::string path = "setting.ini";
    Require(qv::ReplaceFileContents(path, file));
    qv::IniFile ini(path);
    const std::string missing = "\x01missing";
    const std::string otherBefore = ini.ReadString(otherSection, otherKey, missing);
    ini.ReadInteger(section, key, -1);

    const bool written =
        asInteger ? ini.WriteInteger(section, key, number) : ini.WriteString(section, key, value);
    std::string after;
    Require(qv::ReadFileBytes(path, after));
    if (!written) {
        Require(after == file);
        return 0;
    }
    if (asInteger)
        Require(ini.ReadInteger(section, key, number == 0 ? 1 : 0) == number);
    else
        Require(ini.ReadString(section, key, missing) == AsRead(value));
    if (!(SameName(section, otherSection) && SameName(key, otherKey)))
        Require(ini.ReadString(otherSection, otherKey, missing) == otherBefore);
    return 0;
}
