#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "support/TempFolder.h"
#include "catalogue/Big5Codec.h"
#include "settings/IniFile.h"

using namespace qv;
using qv::test::ReadBytes;
using qv::test::TempFolder;
using qv::test::WriteBytes;

namespace {

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

// A hand-edited file: comments, blanks around "=", unknown keys and sections, Big5 values (許 is B3 5C:
// its trail byte is a backslash), a Big5 comment, CR LF line ends.
std::string SampleFile() {
    return "; settings of the QV song manager\r\n"
           "\r\n"
           "[Basic Setting]\r\n"
           "Language=0\r\n"
           "  PingYing = 1  \r\n"
           "Unknown=" +
           B5("許功蓋") +
           "\r\n"
           "; " +
           B5("註解") +
           "\r\n"
           "SongNameFormat=8\r\n"
           "\r\n"
           "[Own Section]\r\n"
           "Mine=keep me\r\n"
           "[Report Rule]\r\n"
           "IsMainLanguageContinue=yes\r\n";
}

}  // namespace

TEST(IniFile, WritingOneKeyChangesOnlyItsValue) {
    TempFolder folder;
    const std::string path = folder.File("setting.ini");
    WriteBytes(path, SampleFile());
    IniFile ini(path);

    ASSERT_TRUE(ini.WriteString("Basic Setting", "SongNameFormat", "3"));
    std::string expected = Replaced(SampleFile(), "SongNameFormat=8\r\n", "SongNameFormat=3\r\n");
    EXPECT_EQ(ReadBytes(path), expected);

    // Blanks before the value stay; those after it belong to the old value.
    ASSERT_TRUE(ini.WriteInteger("Basic Setting", "PingYing", 2));
    expected = Replaced(expected, "  PingYing = 1  \r\n", "  PingYing = 2\r\n");
    EXPECT_EQ(ReadBytes(path), expected);

    // Big5 bytes are stored as they are, in the value written and in the values around it.
    ASSERT_TRUE(ini.WriteString("Own Section", "Mine", B5("許蓋")));
    expected = Replaced(expected, "Mine=keep me\r\n", "Mine=" + B5("許蓋") + "\r\n");
    EXPECT_EQ(ReadBytes(path), expected);
    EXPECT_EQ(ini.ReadString("Own Section", "Mine", ""), B5("許蓋"));
    EXPECT_EQ(ini.ReadString("Basic Setting", "Unknown", ""), B5("許功蓋"));
}

TEST(IniFile, NewKeyGoesAfterTheSectionsLastKeyAndNewSectionAtTheEnd) {
    TempFolder folder;
    const std::string path = folder.File("setting.ini");
    WriteBytes(path, SampleFile());
    IniFile ini(path);

    ASSERT_TRUE(ini.WriteString("Basic Setting", "FirstTime", "no"));
    std::string expected =
        Replaced(SampleFile(), "SongNameFormat=8\r\n", "SongNameFormat=8\r\nFirstTime=no\r\n");
    EXPECT_EQ(ReadBytes(path), expected);

    ASSERT_TRUE(ini.WriteString("Obrel Setting", "LastUpdate", "1234"));
    expected += "[Obrel Setting]\r\nLastUpdate=1234\r\n";
    EXPECT_EQ(ReadBytes(path), expected);

    // A section with only its header takes the key right below it.
    WriteBytes(path, "[Zt Setting]\r\n[Other]\r\nA=1\r\n");
    ASSERT_TRUE(ini.WriteString("Zt Setting", "ZtPinYinIncludeEng", "yes"));
    EXPECT_EQ(ReadBytes(path), "[Zt Setting]\r\nZtPinYinIncludeEng=yes\r\n[Other]\r\nA=1\r\n");
}

TEST(IniFile, KeepsTheFilesLineEndsAndItsMissingFinalBreak) {
    TempFolder folder;
    const std::string path = folder.File("a.ini");
    IniFile ini(path);

    WriteBytes(path, "[S]\nA=1\n");
    ASSERT_TRUE(ini.WriteString("S", "B", "2"));
    ASSERT_TRUE(ini.WriteString("T", "C", "3"));
    EXPECT_EQ(ReadBytes(path), "[S]\nA=1\nB=2\n[T]\nC=3\n");

    WriteBytes(path, "[S]\rA=1\r");
    ASSERT_TRUE(ini.WriteString("S", "A", "9"));
    ASSERT_TRUE(ini.WriteString("S", "B", "2"));
    EXPECT_EQ(ReadBytes(path), "[S]\rA=9\rB=2\r");

    WriteBytes(path, "[S]\r\nA=1");
    ASSERT_TRUE(ini.WriteString("S", "B", "2"));
    EXPECT_EQ(ReadBytes(path), "[S]\r\nA=1\r\nB=2");
    ASSERT_TRUE(ini.WriteString("T", "C", "3"));
    EXPECT_EQ(ReadBytes(path), "[S]\r\nA=1\r\nB=2\r\n[T]\r\nC=3\r\n");
}

TEST(IniFile, NamesIgnoreAsciiCaseOnly) {
    TempFolder folder;
    const std::string path = folder.File("a.ini");
    WriteBytes(path, "[basic SETTING]\r\nlanguage=1\r\n[" + B5("乙") + "]\r\nk=v\r\n");
    IniFile ini(path);

    EXPECT_EQ(ini.ReadString("Basic Setting", "LANGUAGE", "d"), "1");
    EXPECT_EQ(ini.ReadString(B5("乙"), "K", "d"), "v");
    // 乙 (A4 41) and 兀 (A4 61) differ only in a trail byte that looks like a letter.
    EXPECT_EQ(ini.ReadString(B5("兀"), "k", "d"), "d");

    // The key keeps the spelling it has in the file.
    ASSERT_TRUE(ini.WriteString("BASIC setting", "Language", "0"));
    EXPECT_EQ(ReadBytes(path), "[basic SETTING]\r\nlanguage=0\r\n[" + B5("乙") + "]\r\nk=v\r\n");
}

TEST(IniFile, EveryReadSeesTheFileAsItIsNow) {
    TempFolder folder;
    const std::string path = folder.File("a.ini");
    IniFile reader(path);
    IniFile writer(path);

    EXPECT_EQ(reader.ReadString("S", "A", "none"), "none");
    WriteBytes(path, "[S]\r\nA=1\r\n");
    EXPECT_EQ(reader.ReadString("S", "A", "none"), "1");
    ASSERT_TRUE(writer.WriteString("S", "A", "2"));
    EXPECT_EQ(reader.ReadString("S", "A", "none"), "2");

    // A write starts from the file's present text, not from what this object saw before.
    WriteBytes(path, "[S]\r\nA=2\r\nB=outside\r\n");
    ASSERT_TRUE(reader.WriteString("S", "C", "3"));
    EXPECT_EQ(ReadBytes(path), "[S]\r\nA=2\r\nB=outside\r\nC=3\r\n");
}

TEST(IniFile, ReadingRules) {
    TempFolder folder;
    const std::string path = folder.File("a.ini");
    WriteBytes(path,
               "Outside=1\r\n"
               "[S]\r\n"
               "Empty=\r\n"
               "Quoted=\" padded \"\r\n"
               "Half=\"open\r\n"
               "NoEquals\r\n"
               ";A=commented\r\n"
               "A=first\r\n"
               "A=second\r\n"
               "Num=  42 \r\n"
               "Bad=4x\r\n"
               "[ S ]\r\n"
               "Later=1\r\n");
    IniFile ini(path);

    EXPECT_EQ(ini.ReadString("S", "Empty", "d"), "");  // present but empty: not the default
    EXPECT_EQ(ini.ReadString("S", "Quoted", "d"), " padded ");
    EXPECT_EQ(ini.ReadString("S", "Half", "d"), "\"open");
    EXPECT_EQ(ini.ReadString("S", "NoEquals", "d"), "d");
    EXPECT_EQ(ini.ReadString("S", "A", "d"), "first");
    EXPECT_EQ(ini.ReadString("S", "Outside", "d"), "d");
    EXPECT_EQ(ini.ReadString("S", "Later", "d"), "d");  // only the first section of a name counts
    EXPECT_EQ(ini.ReadInteger("S", "Num", 7), 42);
    EXPECT_EQ(ini.ReadInteger("S", "Bad", 7), 7);
    EXPECT_EQ(ini.ReadInteger("S", "Empty", 7), 7);
    EXPECT_EQ(ini.ReadInteger("S", "Missing", 7), 7);
    EXPECT_EQ(ini.ReadInteger("Missing", "Num", 7), 7);
}

TEST(IniFile, RefusesWhatCannotBeStoredAndLeavesTheFile) {
    TempFolder folder;
    const std::string path = folder.File("a.ini");
    WriteBytes(path, SampleFile());
    IniFile ini(path);

    EXPECT_FALSE(ini.WriteString("Basic Setting", "Language", "1\r\n[Evil]"));
    EXPECT_FALSE(ini.WriteString("Basic Setting", "A=B", "1"));
    EXPECT_FALSE(ini.WriteString("Basic Setting", "", "1"));
    EXPECT_FALSE(ini.WriteString("Basic Setting", " Language", "1"));
    EXPECT_FALSE(ini.WriteString("Basic Setting", ";Language", "1"));
    EXPECT_FALSE(ini.WriteString("Bad]Section", "Key", "1"));
    EXPECT_FALSE(ini.WriteString("Bad\nSection", "Key", "1"));
    EXPECT_EQ(ReadBytes(path), SampleFile());
    EXPECT_EQ(folder.EntryCount(), 1u);
}

TEST(IniFile, WriteIsAllOrNothing) {
    TempFolder folder;

    // No such folder: nothing is created and the failure is reported.
    IniFile lost(folder.File("missing/a.ini"));
    EXPECT_FALSE(lost.WriteString("S", "A", "1"));
    EXPECT_EQ(folder.EntryCount(), 0u);

    // A file that cannot be read is not replaced by one holding only the new key.
    const std::string dirPath = folder.File("dir.ini");
    ASSERT_EQ(::mkdir(dirPath.c_str(), 0755), 0);
    EXPECT_FALSE(IniFile(dirPath).WriteString("S", "A", "1"));
    EXPECT_EQ(lost.ReadString("S", "A", "d"), "d");

    // A new file is created; the temporary file is gone; the file's mode is kept across writes.
    const std::string path = folder.File("a.ini");
    IniFile ini(path);
    ASSERT_TRUE(ini.WriteString("S", "A", "1"));
    EXPECT_EQ(ReadBytes(path), "[S]\r\nA=1\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0604), 0);
    ASSERT_TRUE(ini.WriteString("S", "A", "2"));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    EXPECT_EQ(folder.EntryCount(), 2u);  // dir.ini and a.ini
}

TEST(IniFile, WritingThroughALinkReplacesTheLinkedFile) {
    TempFolder folder;
    const std::string real = folder.File("real.ini");
    const std::string link = folder.File("link.ini");
    WriteBytes(real, "[S]\r\nA=1\r\n");
    ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);

    ASSERT_TRUE(IniFile(link).WriteString("S", "A", "2"));
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadBytes(real), "[S]\r\nA=2\r\n");
}

// A settings file that is a FIFO, a device or far too large gives the defaults at once, and no write
// replaces it.
TEST(IniFile, WhatIsNoSettingsFileGivesTheDefaultsAndIsNotReplaced) {
    TempFolder folder;
    const std::string fifo = folder.File("fifo.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string zero = folder.File("zero.ini");
    ASSERT_EQ(::symlink("/dev/zero", zero.c_str()), 0);
    const std::string large = folder.File("large.ini");
    WriteBytes(large, "[Basic Setting]\r\nLanguage=3\r\n");
    ASSERT_EQ(::truncate(large.c_str(), off_t{1} << 30), 0);  // sparse

    for (const std::string& path : {fifo, zero, large}) {
        IniFile ini(path);
        EXPECT_EQ(ini.ReadString("Basic Setting", "Language", "dflt"), "dflt") << path;
        EXPECT_EQ(ini.ReadInteger("Basic Setting", "Language", 7), 7) << path;
        EXPECT_FALSE(ini.WriteString("Basic Setting", "Language", "1")) << path;
    }
    struct stat st {};
    ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ASSERT_EQ(::stat(large.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, off_t{1} << 30);
}
