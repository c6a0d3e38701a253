#pragma once
// LibreOffice as the song books' file converter: run from the command line in a private profile, never
// attached to an office the user has open.
#include <string>

#include "platform/OdsWorkbook.h"

namespace qv {

// The converter program: $QV_SOFFICE when set (empty: none), else "soffice" on the PATH; empty when there
// is none. Only looks, starts nothing.
std::string LibreOfficeProgram();

// The converter's cache folder: below $XDG_CACHE_HOME (or ~/.cache), "qvsong". It holds the private
// profiles ("office-profile", and "office-profile-2" .. for conversions running beside another one) and
// the converted templates.
std::string DefaultConverterCacheFolder();

// Names the converter in messages (Big5).
std::string LibreOfficeName();

class LibreOfficeConverter final : public FileConverter {
public:
    // $QV_SOFFICE_TIMEOUT (seconds), when set, is the least time-out of every conversion.
    LibreOfficeConverter(std::string program, std::string cacheFolder);
    // The program exits 0 even when it failed: success is the target file being there and not empty.
    // Each run takes a profile no other running conversion uses (the office hands a second start in the
    // same profile to the first one and ends). A run longer than the time-out is killed with everything
    // it started; so is a run when the program is asked to end, which then throws RunAbandoned.
    bool Convert(const std::string& source, const std::string& target, const std::string& format,
                 const std::function<void(int)>& progress, int expectedSeconds) override;
    std::string CacheFolder() const override { return cache_; }
    std::string Name() const override { return LibreOfficeName(); }
    std::string Failure() const override { return failure_; }

private:
    std::string program_;
    std::string cache_;
    int leastTimeout_ = 0;
    std::string failure_;
};

}  // namespace qv
