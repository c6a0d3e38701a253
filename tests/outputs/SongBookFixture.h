#pragma once
// A song library in a temporary program folder whose song-book templates are the flat sources, with a
// converter that only copies: the books' pages are checked on the in-memory workbook, without an office.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "catalogue/Big5Codec.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SongTable.h"
#include "library/Startup.h"
#include "outputs/SongBook.h"
#include "platform/OdsWorkbook.h"
#include "settings/Settings.h"
#include "support/FakeSongView.h"
#include "support/FakeUserInterface.h"
#include "support/TempSongLibrary.h"

namespace qv::test {

inline const std::string kOleMagic("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

// "Converts" by copying; a saved book is the flat file behind the compound-document mark.
class CopyingConverter final : public FileConverter {
public:
    bool Convert(const std::string& source, const std::string& target, const std::string& format,
                 const std::function<void(int)>& progress, int) override {
        std::ifstream in(source, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        std::ofstream out(target, std::ios::binary);
        out << (format == "xls" ? kOleMagic : "") << bytes.str();
        if (progress) progress(100);
        return static_cast<bool>(out);
    }
};

class SongBookFixture : public ::testing::Test {
protected:
    TempSongLibrary library;
    FakeUserInterface ui;
    FakeSongView view;
    CopyingConverter converter;
    OdsWorkbook engine{&converter};

    void SetUp() override {
        LoadSettings();  // no setting.ini in the folder: every default
        for (const auto& [source, name] : {std::pair{"songbook.fods", SongBookTemplateName},
                                           std::pair{"singerbook.fods", SingerBookTemplateName}})
            std::filesystem::copy_file(std::string(QV_SOURCE_DIR) + "/resources/" + source,
                                       library.Path(name));
        SetSongBookEngine(&engine);
        ExcelAvailable = true;
    }
    void TearDown() override {
        SetSongBookEngine(nullptr);
        ExcelAvailable = false;
    }

    // The saved book as the engine would read it back; false when there is none.
    bool ReadBook(const std::string& fileName, OdsWorkbook& book) const {
        std::ifstream in(library.Path(fileName), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        const std::string all = bytes.str();
        return all.starts_with(kOleMagic) && book.LoadFlatOds(all.substr(kOleMagic.size()));
    }
    std::vector<std::string> SheetNames(const OdsWorkbook& book) const {
        std::vector<std::string> names;
        for (int i = 1; i <= book.SheetCount(); ++i) names.push_back(Big5ToUtf8(book.SheetName(i)));
        return names;
    }
    static std::string Cell(const OdsWorkbook& book, int sheet, int row, int column) {
        return Big5ToUtf8(book.CellText(sheet, row, column));
    }

public:
    static SongRow Song(const std::string& no, const std::string& name, const std::string& singer,
                        const std::string& language = "1", const std::string& words = "3",
                        const std::string& singerClass = "1") {
        SongRow row = TempSongLibrary::Song(no, name, singer, language, singerClass);
        row[colWordCount] = words;
        row[colStrokes] = "5";
        return row;
    }
};

}  // namespace qv::test
