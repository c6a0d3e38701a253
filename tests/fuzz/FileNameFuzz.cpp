// Any path through every name form, as UTF-8 and as Big5: the parser gives codes in their tables and a
// name and singer that never hold a "/" (they come from one part of the path), nor a NUL byte unless the
// path has one.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "catalogue/Big5Codec.h"
#include "catalogue/SingerTable.h"
#include "library/FileNameParser.h"

using fuzz::Require;

namespace {

void CheckResult(const qv::ParsedSongName& out, bool pathHasNul) {
    Require(out.language >= 1 && out.language <= 9);
    Require(out.singerClass >= 1 && out.singerClass <= 8);
    for (const std::string* text : {&out.name, &out.singer}) {
        Require(text->find('/') == std::string::npos);
        Require(pathHasNul || text->find('\0') == std::string::npos);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        // A few known singers, so that the singer recognition has something to find.
        qv::SingerNames = {qv::B5("周杰倫"), qv::B5("張學友"), "ABC", qv::B5("十")};
        qv::SingerLanguageCodes = {"1", "3", "4", "2"};
        qv::SingerClassCodes = {"1", "1", "3", "9"};  // a broken class code too
        qv::BuildSingerDisplayList();
        return true;
    }();
    (void)ready;
    FuzzedDataProvider in(data, size);
    qv::NameParseSettings settings;
    for (int& code : settings.selfDefine) code = in.ConsumeIntegralInRange<int>(-1, 5);
    const bool asBig5 = in.ConsumeBool();
    const std::string path = in.ConsumeRemainingBytesAsString();
    const bool pathHasNul = path.find('\0') != std::string::npos;
    for (int form = 0; form <= 8; ++form) {
        settings.songNameFormat = form;
        qv::ParsedSongName out;
        if (asBig5)
            qv::ParseSongFileNameBig5(path, settings, out);
        else
            qv::ParseSongFileName(path, settings, out);
        CheckResult(out, pathHasNul);
    }
    return 0;
}
