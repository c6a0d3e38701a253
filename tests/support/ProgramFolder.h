#pragma once
// A temporary program folder that is the current directory while it exists, with the maker's servers
// pointed at the loopback (the echo answers at once, every HTTP request is refused).
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/ServerHosts.h"
#include "support/TempFolder.h"

namespace qv::test {

class ProgramFolder : public TempFolder {
public:
    ProgramFolder() : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(Path());
        SetMakerServers({"127.0.0.1:1", "127.0.0.1:1", "127.0.0.1:1"});
    }
    ~ProgramFolder() {
        std::error_code ec;
        std::filesystem::current_path(previous_, ec);
        ResetMakerServers();
    }

private:
    std::filesystem::path previous_;
};

}  // namespace qv::test
