#include <gtest/gtest.h>

#include "catalogue/CharTw.h"
#include "catalogue/SingerTable.h"
#include "library/InPlaceEdit.h"
#include "settings/Settings.h"
#include "support/FakeSongView.h"
#include "support/FakeUserInterface.h"
#include "support/FileLimits.h"
#include "support/TempSongLibrary.h"

namespace qv {
namespace {

using test::TempSongLibrary;

std::string U8(const std::string& big5) { return Big5ToUtf8(big5); }

// A field of a record as stored, without its blank padding.
std::string Field(const std::string& record, int column) {
    return TrimTrailingBlanks(record.substr(SongFieldStart[column] - 1, SongFieldWidths[column]));
}

class InPlaceEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        ForgetLastChoices();
        setup::PingYing = 1;
        ZhuyinCharList = {B5("一"), B5("中")};
        ZhuyinKeyList = {"u", "5"};
        SongRow a = TempSongLibrary::Song("00101", "中國", "歌手甲");
        SongRow b = TempSongLibrary::Song("00102", "月亮", "歌手乙", "2", "2");
        SongRow c = TempSongLibrary::Song("00103", "Love", "Amy", "4", "4");
        lib.Fill({a, b, c});
    }
    void TearDown() override {
        ZhuyinCharList.clear();
        ZhuyinKeyList.clear();
    }
    CellEdit Open(int row, int column) {
        CellEdit edit;
        EXPECT_TRUE(BeginCellEdit(row, column, edit));
        return edit;
    }

    test::FakeUserInterface ui;
    test::FakeSongView view;
    TempSongLibrary lib;
};

TEST_F(InPlaceEditTest, MarkClicksCycleAndReachTheFile) {
    const char* newMarks[] = {"*", "@", ""};
    for (const char* mark : newMarks) {
        EXPECT_EQ(ToggleMarkCell(0, colNewMark).outcome, EditOutcome::Stored);
        EXPECT_EQ(AllSong[0][colNewMark], mark);
        EXPECT_EQ(Field(lib.Record(0), colNewMark), mark);
    }
    ToggleMarkCell(1, colFavourite);
    EXPECT_EQ(Field(lib.Record(1), colFavourite), "*");
    AllSong[1][colSelfPlay] = "X";  // anything but blank clears
    ToggleMarkCell(1, colSelfPlay);
    EXPECT_EQ(AllSong[1][colSelfPlay], "");
    EXPECT_EQ(ToggleMarkCell(1, colSpecialDel).outcome, EditOutcome::Unchanged);  // not a click mark
    EXPECT_EQ(AllSong[1][colSpecialDel], "");
}

TEST_F(InPlaceEditTest, NewNameBringsItsKeysAndFollowsTheAddingRules) {
    const std::string name = B5("一二三四五六七八九十百");
    EXPECT_EQ(CommitTextEdit(Open(0, colSongName), name).outcome, EditOutcome::Stored);
    const std::string record = lib.Record(0);
    EXPECT_EQ(Field(record, colSongName), name);
    EXPECT_EQ(Field(record, colStrokes), "1");
    EXPECT_EQ(Field(record, colWordCount), "11");        // more than ten
    EXPECT_EQ(AllSong[0][colPinyin].substr(0, 1), "E");  // key u under the first letter scheme

    // Illegal characters: refused with the adding message, the editor stays, nothing stored.
    EXPECT_EQ(CommitTextEdit(Open(0, colSongName), "a^b").outcome, EditOutcome::KeepEditing);
    EXPECT_EQ(CommitTextEdit(Open(0, colSongName), "ok", /*fitsBig5=*/false).outcome,
              EditOutcome::KeepEditing);
    ASSERT_EQ(ui.Texts("warning").size(), 2u);
    EXPECT_EQ(ui.Texts("warning")[0], "歌名中有不合法的字元, 強行加入可能會造成點歌機當機.");
    EXPECT_EQ(AllSong[0][colSongName], name);

    // Too long: cut to 60 bytes on a character boundary, the same in the table and the file.
    std::string longName = "x";
    for (int i = 0; i < 30; ++i) longName += B5("中");
    EXPECT_EQ(CommitTextEdit(Open(0, colSongName), longName).outcome, EditOutcome::Stored);
    EXPECT_EQ(AllSong[0][colSongName].size(), 59u);  // "x" + 29 whole characters
    EXPECT_EQ(Field(lib.Record(0), colSongName), AllSong[0][colSongName]);
}

TEST_F(InPlaceEditTest, DuplicatesEmptiesAndUnchangedTexts) {
    AllSong[1][colSinger] = AllSong[0][colSinger];
    AllSong[1][colLanguage] = "1";
    // The name of the other song by the same singer in the same language: refused, the editor stays.
    EXPECT_EQ(CommitTextEdit(Open(1, colSongName), AllSong[0][colSongName]).outcome,
              EditOutcome::KeepEditing);
    EXPECT_EQ(ui.Texts("error").back(), " 歌庫中已有相同歌曲(歌名,歌手及語言皆相同)存在!");
    // Only the letter case of its own name: compared with the others, not with itself.
    EXPECT_EQ(CommitTextEdit(Open(2, colSongName), "LOVE").outcome, EditOutcome::Stored);
    EXPECT_EQ(CommitTextEdit(Open(2, colSongName), "  LOVE ").outcome, EditOutcome::Unchanged);
    EXPECT_EQ(CommitTextEdit(Open(2, colSinger), "   ").outcome, EditOutcome::Refused);
    EXPECT_EQ(AllSong[2][colSinger], "Amy");
    // An empty pinyin clears the code.
    AllSong[2][colPinyin] = "L";
    EXPECT_EQ(CommitTextEdit(Open(2, colPinyin), "").outcome, EditOutcome::Stored);
    EXPECT_EQ(Field(lib.Record(2), colPinyin), "");
}

TEST_F(InPlaceEditTest, NewSingerBringsItsSortKeys) {
    EXPECT_EQ(CommitTextEdit(Open(2, colSinger), B5("一 Band")).outcome, EditOutcome::Stored);
    EXPECT_EQ(Field(lib.Record(2), colSinger), B5("一 Band"));
    EXPECT_EQ(AllSong[2][colSingerStrokes], "1");
    EXPECT_EQ(AllSong[2][colSingerWordCount], std::to_string(CountSongWords(B5("一 Band"))));
}

TEST_F(InPlaceEditTest, AnEditOfASongGoneMeanwhileStoresNothing) {
    const CellEdit edit = Open(2, colSongName);
    AllSong[2] = TempSongLibrary::Song("00103", "Moved here", "Other");  // the last song took the number
    EXPECT_EQ(CommitTextEdit(edit, "New").outcome, EditOutcome::Refused);
    EXPECT_EQ(ui.Texts("error").back(), "找不到欲修改的歌曲:00103");
    EXPECT_EQ(AllSong[2][colSongName], "Moved here");
    AllSong.pop_back();
    AllSongCount = 2;
    ASSERT_TRUE(TruncateSongFile(SongListPath(), SongLineLength, 2));
    EXPECT_EQ(CommitComboEdit(Open(1, colChannel), 1, B5("左")).outcome, EditOutcome::Stored);
    EXPECT_EQ(CommitComboEdit(edit, 1, B5("左")).outcome, EditOutcome::Refused);
}

TEST_F(InPlaceEditTest, ClassAndLanguageBoxesOfferTheLastChoiceFirstForAMinute) {
    ComboChoices plain = ComboChoicesOf(Open(0, colSingerClass));
    ASSERT_EQ(plain.items.size(), 8u);
    EXPECT_EQ(plain.items[0], SingerClassNames()[0]);
    EXPECT_EQ(plain.items[plain.selected], SingerClassNames()[0]);

    const EditResult chosen = CommitComboEdit(Open(0, colSingerClass), 2, SingerClassNames()[2]);
    EXPECT_TRUE(chosen.restartLastSelectTimer);
    EXPECT_EQ(Field(lib.Record(0), colSingerClass), "3");
    EXPECT_EQ(LastChosenClass, 3);
    const ComboChoices next = ComboChoicesOf(Open(1, colSingerClass));
    EXPECT_EQ(next.items[0], SingerClassNames()[2]);
    EXPECT_EQ(next.items[1], SingerClassNames()[0]);
    EXPECT_EQ(next.items.size(), 8u);
    ForgetLastChoices();  // the minute is over
    EXPECT_EQ(ComboChoicesOf(Open(1, colSingerClass)).items, plain.items);

    ComboChoices languages = ComboChoicesOf(Open(0, colLanguage));
    ASSERT_EQ(languages.items.size(), 9u);
    EXPECT_EQ(U8(languages.items.back()), "其他");
    CommitComboEdit(Open(0, colLanguage), 4, LanguageNames()[5]);  // 日語
    EXPECT_EQ(AllSong[0][colLanguage], "6");
    EXPECT_EQ(LastChosenLanguage, 6);
    EXPECT_EQ(LastChosenClass, -1);
    languages = ComboChoicesOf(Open(1, colLanguage));
    EXPECT_EQ(U8(languages.items[0]), "日語");
    EXPECT_EQ(U8(languages.items.back()), "其他");
    // A volume choice forgets both.
    CommitComboEdit(Open(1, colVolume), 3, "3");
    EXPECT_EQ(LastChosenLanguage, -1);
}

TEST_F(InPlaceEditTest, LanguageDuplicateKeepsTheBoxOpen) {
    AllSong[1] = AllSong[0];
    AllSong[1][colSongNo] = "00102";
    AllSong[1][colLanguage] = "2";
    EXPECT_EQ(CommitComboEdit(Open(1, colLanguage), 0, LanguageNames()[0]).outcome, EditOutcome::KeepEditing);
    EXPECT_EQ(AllSong[1][colLanguage], "2");
}

TEST_F(InPlaceEditTest, PriorityGoesToEverySongOfTheSinger) {
    AllSong[1][colSinger] = AllSong[0][colSinger] + B5("　") + B5("歌手丙");  // a duet led by the singer
    EXPECT_EQ(ComboChoicesOf(Open(0, colSingerPriority)).selected, 0);
    EXPECT_EQ(CommitComboEdit(Open(0, colSingerPriority), 7, "7").outcome, EditOutcome::Stored);
    EXPECT_EQ(Field(lib.Record(0), colSingerPriority), "7");
    EXPECT_EQ(Field(lib.Record(1), colSingerPriority), "7");
    EXPECT_EQ(ComboChoicesOf(Open(0, colSingerPriority)).selected, 7);
    CommitComboEdit(Open(0, colSingerPriority), 0, "");
    EXPECT_EQ(Field(lib.Record(1), colSingerPriority), "");
}

TEST_F(InPlaceEditTest, VolumeAndChannelRenameTheMediaItem) {
    lib.AddMedia("00101.mpg");
    EXPECT_EQ(CommitComboEdit(Open(0, colChannel), 1, B5("左")).outcome, EditOutcome::Stored);
    EXPECT_EQ(Field(lib.Record(0), colChannel), "0");
    EXPECT_EQ(lib.FolderEntries("001"), std::vector<std::string>{"0010190.mpg"});
    EXPECT_EQ(CommitComboEdit(Open(0, colVolume), 10, "10").outcome, EditOutcome::Stored);
    EXPECT_EQ(Field(lib.Record(0), colVolume), "A");
    EXPECT_EQ(lib.FolderEntries("001"), std::vector<std::string>{"00101A0.mpg"});
    CommitComboEdit(Open(0, colVolume), 0, "");
    CommitComboEdit(Open(0, colChannel), 0, "");
    EXPECT_EQ(lib.FolderEntries("001"), std::vector<std::string>{"00101.mpg"});
    EXPECT_TRUE(ui.Texts("error").empty());
}

TEST_F(InPlaceEditTest, ARenameOntoAnotherFileStoresNothing) {
    lib.AddMedia("00102.mpg");
    lib.AddMedia("0010291.mpg");  // a stray item in the way
    EXPECT_EQ(CommitComboEdit(Open(1, colChannel), 2, B5("右")).outcome, EditOutcome::Refused);
    EXPECT_EQ(AllSong[1][colChannel], "");
    EXPECT_EQ(Field(lib.Record(1), colChannel), "");
    EXPECT_EQ(lib.FolderEntries("001"), (std::vector<std::string>{"00102.mpg", "0010291.mpg"}));
    ASSERT_EQ(ui.Texts("error").size(), 1u);
    EXPECT_NE(ui.Texts("error")[0].find("檔案更名"), std::string::npos);

    // No item at all: the choice is stored, and there is nothing to rename nor to report.
    EXPECT_EQ(CommitComboEdit(Open(2, colChannel), 2, B5("右")).outcome, EditOutcome::Stored);
    EXPECT_EQ(Field(lib.Record(2), colChannel), "1");
    EXPECT_EQ(CommitComboEdit(Open(2, colVolume), 3, "3").outcome, EditOutcome::Stored);
    EXPECT_EQ(Field(lib.Record(2), colVolume), "3");
    EXPECT_EQ(ui.Texts("error").size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(lib.Path("001/0010331")));
}

// A song list that cannot be written (read-only folder): the edits are refused and the table, the
// record and the media item keep what the file holds.
TEST_F(InPlaceEditTest, EditsThatCannotBeWrittenLeaveTheSongAsTheFileHoldsIt) {
    lib.AddMedia("00101.mpg");
    const std::string record = lib.Record(0);
    const SongRow before = AllSong[0];
    test::Immutable locked(SongListPath());
    if (!locked.ok()) GTEST_SKIP() << "no immutable files here";
    EXPECT_EQ(CommitTextEdit(Open(0, colSongName), B5("月光")).outcome, EditOutcome::Refused);
    EXPECT_EQ(CommitComboEdit(Open(0, colVolume), 10, "10").outcome, EditOutcome::Refused);
    EXPECT_EQ(ToggleMarkCell(0, colFavourite).outcome, EditOutcome::Refused);
    EXPECT_EQ(AllSong[0], before);
    EXPECT_EQ(lib.Record(0), record);
    EXPECT_EQ(lib.FolderEntries("001"), std::vector<std::string>{"00101.mpg"});
    EXPECT_EQ(ui.Texts("info"), std::vector<std::string>(3, "Open file:" + SongListPath() + " error!"));
}

TEST(InPlaceEditNames, EditorNamesCarryTheirCell) {
    EXPECT_EQ(TextEditorName(12), "edit_create12");
    EXPECT_EQ(ComboEditorName(17, 3), "combo_create0017000003");
    int column = 0, row = 0;
    EXPECT_TRUE(CellOfComboName("combo_create0018000042", column, row));
    EXPECT_EQ(column, 18);
    EXPECT_EQ(row, 42);
    EXPECT_FALSE(CellOfComboName("combo_create00180000x2", column, row));
    EXPECT_FALSE(CellOfComboName("edit_create12", column, row));
    EXPECT_EQ(ActionOfColumn(colSongNo), CellAction::None);
    EXPECT_EQ(ActionOfColumn(colDateAdded), CellAction::None);
    EXPECT_EQ(ActionOfColumn(colDeleteSelect), CellAction::ToggleMark);
    EXPECT_EQ(ActionOfColumn(colWordCount), CellAction::EditText);
    EXPECT_EQ(ActionOfColumn(colChannel), CellAction::ChooseItem);
}

}  // namespace
}  // namespace qv
