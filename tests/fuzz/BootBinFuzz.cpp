// Any bytes as "boot.bin": the readers never fail on it, and storing a message number changes only the
// second line: what follows it, the identifier among it, reads as before.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "catalogue/ProgramState.h"
#include "catalogue/TextFile.h"
#include "library/ServerMessage.h"

using fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const int stored = in.ConsumeIntegral<int>();
    const std::string input = in.ConsumeRemainingBytesAsString();
    qv::AppDir = ".";
    Require(qv::ReplaceFileContents("./boot.bin", input));

    const int before = qv::ReadBootBinValue();
    const std::string id = qv::ReadInstallationId();
    const std::vector<std::string> lines = qv::SplitTextLines(input);
    if (lines.size() < 2 || lines[1].empty()) Require(before == -1);

    Require(qv::StoreReadMessageNo(stored));
    Require(qv::ReadBootBinValue() == stored);
    Require(qv::ReadInstallationId() == id);
    std::string after;
    Require(qv::ReadFileBytes("./boot.bin", after));
    const std::vector<std::string> now = qv::SplitTextLines(after);
    Require(now.size() == std::max<size_t>(lines.size(), 2));
    for (size_t i = 0; i < lines.size(); ++i)
        if (i != 1) Require(now[i] == lines[i]);
    return 0;
}
