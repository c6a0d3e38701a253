#pragma once
// LibreOffice as the song books' file converter: run from the command line in a private profile, never
// attached to an office the user has open.
#include <string>

#include "platform/OdsWorkbook.h"

namespace qv {

// The converter program: $QV_SOFFICE when set (empty: none), else "soffice" on the PATH; empty when there
// is none. Only looks, starts nothing.
std::string LibreOfficeProgram();

// The private profile of the converter: below $XDG_CACHE_HOME (or ~/.cache), "qvsong/office-profile".
std::string DefaultOfficeProfileFolder();

class LibreOfficeConverter final : public FileConverter {
public:
    LibreOfficeConverter(std::string program, std::string profileFolder);
    // The program exits 0 even when it failed: success is the target file being there and not empty.
    // A run longer than the time-out is killed with everything it started.
    bool Convert(const std::string& source, const std::string& target, const std::string& format,
                 const std::function<void(int)>& progress, int expectedSeconds) override;

private:
    std::string program_;
    std::string profile_;
};

}  // namespace qv
