// Any bytes as "singer.bin": the singer lines and the character table load into lists of one length
// each, with fields no wider than their columns; the singer display list and the reading codes follow
// the table just loaded.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "catalogue/ProgramState.h"
#include "catalogue/ReadingCodes.h"
#include "catalogue/SingerTable.h"
#include "catalogue/TextFile.h"

using fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    qv::AppDir = ".";
    Require(qv::ReplaceFileContents("./singer.bin", input));
    qv::LoadSingerBin();

    const size_t singers = qv::SingerNames.size();
    Require(qv::SingerLanguageCodes.size() == singers && qv::SingerClassCodes.size() == singers);
    for (size_t i = 0; i < singers; ++i) {
        Require(qv::SingerNames[i].size() <= 30);
        Require(qv::SingerLanguageCodes[i].size() <= 1 && qv::SingerClassCodes[i].size() <= 1);
    }
    Require(qv::ZhuyinCharList.size() == qv::ZhuyinKeyList.size());
    for (size_t i = 0; i < qv::ZhuyinCharList.size(); ++i)
        Require(qv::ZhuyinCharList[i].size() == 2 && qv::ZhuyinKeyList[i].size() == 1);

    qv::BuildSingerDisplayList();
    Require(qv::SingerDisplayList.size() <= singers);
    Require(qv::SingerDisplayLanguages.size() == qv::SingerDisplayList.size());

    // The first line of the file and every character of the table as a name, through the table just
    // loaded: letters only, and the same codes as from a fresh copy of the table (the lookup index must not
    // outlive the table it indexes).
    std::string name = input.substr(0, input.find_first_of("\r\n"));
    for (const std::string& c : qv::ZhuyinCharList) name += c;
    std::string codes[3];
    for (int mode = 0; mode <= 2; ++mode) {
        codes[mode] = qv::MakePinyin(name, mode) + "|" + qv::MakeZhuyin(name, mode);
        for (char c : qv::MakePinyin(name, mode)) Require(c > ' ' && c < 0x7F);
    }
    std::vector<std::string> fresh = qv::ZhuyinCharList;
    qv::ZhuyinCharList.swap(fresh);
    for (int mode = 0; mode <= 2; ++mode)
        Require(codes[mode] == qv::MakePinyin(name, mode) + "|" + qv::MakeZhuyin(name, mode));
    return 0;
}
