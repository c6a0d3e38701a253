#include "platform/LibreOffice.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/TempFolder.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

// A stand-in converter program: a shell script given its body.
std::string FakeOffice(const test::TempFolder& folder, const std::string& body) {
    const std::string path = folder.File("soffice");
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    fs::permissions(path, fs::perms::owner_all);
    return path;
}

TEST(LibreOfficeTest, ASuccessIsAFileThereAndABookIsACompoundDocument) {
    test::TempFolder folder;
    ::setenv("QV_SOFFICE", folder.File("missing").c_str(), 1);
    EXPECT_EQ(LibreOfficeProgram(), "");
    ::setenv("QV_SOFFICE", FakeOffice(folder, "exit 0").c_str(), 1);
    EXPECT_EQ(LibreOfficeProgram(), folder.File("soffice"));
    ::unsetenv("QV_SOFFICE");

    std::ofstream(folder.File("book.fods")) << "x";
    // Exits 0 and writes nothing: a failure.
    LibreOfficeConverter silent(FakeOffice(folder, "exit 0"), folder.File("profile"));
    EXPECT_FALSE(silent.Convert(folder.File("book.fods"), folder.File("out.xls"), "xls", {}, 1));
    EXPECT_TRUE(fs::is_directory(folder.File("profile")));

    // Writes what the arguments ask for, under the source's name, renamed onto the target.
    const std::string writer = "for a; do d=$o; o=$a; done\nprintf 'not a workbook' > \"$d/book.xls\"";
    LibreOfficeConverter garbage(FakeOffice(folder, "o=; " + writer), folder.File("profile"));
    int lastProgress = -1;
    EXPECT_TRUE(garbage.Convert(
        folder.File("book.fods"), folder.File("out.xls"), "xls", [&](int p) { lastProgress = p; }, 1));
    EXPECT_EQ(lastProgress, 100);
    EXPECT_TRUE(fs::exists(folder.File("out.xls")));

    // The workbook checks the converter's output: not a compound document, not saved, nothing left behind.
    OdsWorkbook book(&garbage);
    ASSERT_TRUE(book.LoadFlatOds(
        R"(<office:document xmlns:office="o"><office:body><office:spreadsheet/></office:body></office:document>)"));
    EXPECT_FALSE(book.SaveAs(folder.File("total.xls"), {}));
    EXPECT_FALSE(fs::exists(folder.File("total.xls")));
    for (const auto& entry : fs::directory_iterator(folder.Path()))
        EXPECT_FALSE(entry.path().filename().string().starts_with(".qv-book")) << entry.path();
}

}  // namespace
}  // namespace qv
