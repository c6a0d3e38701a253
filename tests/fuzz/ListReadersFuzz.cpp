// Any bytes as a song list of each kind: the checks and the line readers never read outside a line, the
// readers' fields fit their record widths, and a list that passes a check reads line by line.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "catalogue/SongRecord.h"
#include "catalogue/TextFile.h"
#include "outputs/ListReaders.h"

using fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    Require(qv::ReplaceFileContents("./list.txt", input));

    const bool shortOk = qv::ValidateSongListShort("./list.txt", false);
    const bool longOk = qv::ValidateSongListLong("./list.txt", false);
    qv::ValidateCsvList("./list.txt");
    qv::ValidateFixedWidthList("./list.txt");

    const std::vector<std::string> lines = qv::ReadListLines("./list.txt", true);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        qv::FieldList fields;
        qv::SplitSongListLine(line, fields);
        Require(fields.size() == qv::SongFieldCount - 1);
        for (size_t f = 0; f < fields.size(); ++f)
            Require(fields[f].size() <= static_cast<size_t>(qv::SongFieldWidths[f]));
        if (shortOk || longOk) qv::SplitSongRecord(line, fields);
        if (i > 0) {
            const int forward = qv::CompareQv2ListLines(lines[i - 1], line);
            const int backward = qv::CompareQv2ListLines(line, lines[i - 1]);
            Require((forward < 0) == (backward > 0));
        }

        std::string media;
        qv::ParseCsvSongLine(line, fields, media);
        Require(fields.size() == qv::AllSongColCount);
        const int commas = qv::CountCsvCommas(line);
        Require(qv::GetCsvField(line, commas + 2).empty());
        std::string number;
        qv::ParseFixedWidthSongLine(line, fields, number);
        Require(number.size() <= 6);
        Require(fields[qv::colWordCount] == "11" || fields[qv::colWordCount].size() <= 2);
        Require(qv::ConvertSongListLine(line).size() == 108);
    }
    return 0;
}
