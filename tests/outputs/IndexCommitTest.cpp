#include <gtest/gtest.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "catalogue/ProgramState.h"
#include "catalogue/SongTable.h"
#include "library/Startup.h"
#include "outputs/IndexCommon.h"
#include "outputs/IndexStaging.h"
#include "outputs/OutputSteps.h"
#include "outputs/VkmIndex.h"
#include "outputs/ZtIndex.h"
#include "settings/Settings.h"
#include "support/FileLimits.h"
#include "support/FakeUserInterface.h"
#include "support/TempFolder.h"
#include "support/TempSongLibrary.h"

namespace qv {
namespace {

namespace fs = std::filesystem;
using Tree = std::map<std::string, std::string>;  // relative path -> bytes; a folder ends in "/"

// Every folder and file below the folder, with its bytes.
Tree TreeOf(const std::string& folder) {
    Tree tree;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = fs::relative(entry.path(), folder).generic_string();
        tree[entry.is_directory() ? name + "/" : name] =
            entry.is_directory() ? "" : test::ReadBytes(entry.path());
    }
    return tree;
}

void RestoreTree(const std::string& folder, const Tree& tree) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (const auto& [name, bytes] : tree)
        if (name.back() == '/')
            fs::create_directories(PathIn(folder, name));
        else
            test::WriteBytes(PathIn(folder, name), bytes);
}

std::string Differences(const Tree& actual, const Tree& expected) {
    std::string out;
    for (const auto& [name, bytes] : actual)
        if (!expected.contains(name) || expected.at(name) != bytes) out += " " + name;
    for (const auto& [name, bytes] : expected)
        if (!actual.contains(name)) out += " -" + name;
    return out;
}

// The step at which the hook stops the commit, counted from 1; the path of the last step seen.
int stopAtStep = 0;
bool killAtStop = false;
std::string stoppedAt;
bool StopAtStep(const std::string& path) {
    if (--stopAtStep != 0) return true;
    if (killAtStop) std::raise(SIGKILL);
    stoppedAt = path;
    return false;
}

struct IndexKind {
    const char* name;
    std::function<void()> run;
    const char* doneText;
};
const IndexKind kZt{"ZT", [] { WriteZtIndex(); }, "ZT索引檔產生完成"};
const IndexKind kVkm{"VKM", WriteVkmIndex, "VKM索引檔產生完成"};

class IndexCommitTest : public ::testing::Test {
protected:
    void SetUp() override {
        BuildLineCipherTables();
        fs::create_directory(Folder());
        LibraryDataDirOk = true;
        IndexPausesEnabled = false;
        IndexDriveOverride = fs::path(Folder()).parent_path().string();
        setup::PingYing = 1;
        setup::ZtPinYinIncludeChi = setup::ZtPinYinIncludeEng = setup::ZtPinYinIncludeJpn = true;
        InstallOutputSteps();
    }
    void TearDown() override {
        IndexCommitStepHook = nullptr;
        IndexCommitSyncHook = nullptr;
        IndexPausesEnabled = true;
        IndexDriveOverride.clear();
        StartupOutputSteps() = {};
    }
    std::string Folder() const { return library.Path("000"); }

    static SongRow Song(const char* no, const char* name, const char* singer, const char* language) {
        SongRow row = test::TempSongLibrary::Song(no, name, singer, language, "1");
        row[colWordCount] = row[colStrokes] = "1";
        return row;
    }
    // Two songs, one of them in two collections and the own-choice list.
    void FillOld() {
        SongRow a = Song("00101", "Blue", "Amy", "4");
        a[colPopular] = a[colFavourite] = a[colSelfPlay] = "*";
        library.Fill({a, Song("00102", "Red", "Bob", "1")});
        library.AddMedia("00101.mpg");
        library.AddMedia("00102.mpg");
    }
    // The first song renamed and unmarked, a song of another folder added: files replaced, added and dropped.
    void FillNew() {
        library.Fill({Song("00101", "Green", "Amy", "4"), Song("00102", "Red", "Bob", "1"),
                      Song("01001", "Gold", "Cid", "2")});
        library.AddMedia("01001.mpg");
    }

    // The old set (with a stale spelling beside it) in place; the new set's tree remembered.
    void PrepareSets(const IndexKind& kind) {
        fs::remove_all(Folder());
        fs::create_directory(Folder());
        FillOld();
        kind.run();
        test::WriteBytes(PathIn(Folder(), "okData.ztx"), "stale");
        test::WriteBytes(PathIn(Folder(), "okdata_ori.vkm"), "stale");
        oldSet = TreeOf(Folder());
        FillNew();
        kind.run();
        newSet = TreeOf(Folder());
        ASSERT_NE(oldSet, newSet);
        ASSERT_FALSE(oldSet.contains("IndexNew.tmp/"));
        ASSERT_FALSE(newSet.contains("IndexNew.tmp/") || newSet.contains("IndexOld.tmp/"));
        RestoreTree(Folder(), oldSet);
    }

    // Old or new: true for new.
    bool ExpectOldOrNew(const std::string& context) {
        const Tree now = TreeOf(Folder());
        EXPECT_TRUE(now == oldSet || now == newSet)
            << context << ": differs from the old set in" << Differences(now, oldSet)
            << " and from the new set in" << Differences(now, newSet);
        return now == newSet;
    }

    // The old set in place, the commit stopped at step 1, 2, ... by `attempt`, which answers whether the
    // new set stands afterwards, or nothing once the commit went past its last step. Old until some step,
    // new from there on.
    void AtEveryStep(const IndexKind& kind, const std::function<std::optional<bool>(int step)>& attempt) {
        PrepareSets(kind);
        bool sawNew = false;
        int step = 1;
        for (;; ++step) {
            ASSERT_LT(step, 5000);
            RestoreTree(Folder(), oldSet);
            ui.shown.clear();
            const std::optional<bool> isNew = attempt(step);
            if (!isNew) break;
            EXPECT_TRUE(*isNew || !sawNew) << kind.name << " old again at step " << step;
            sawNew = sawNew || *isNew;
        }
        EXPECT_TRUE(sawNew) << kind.name;
        EXPECT_GT(step, 20) << kind.name;  // the steps were counted: many files moved
        EXPECT_EQ(TreeOf(Folder()), newSet) << kind.name;
    }

    test::TempSongLibrary library;
    test::FakeUserInterface ui;
    Tree oldSet, newSet;
};

// A child process runs the index command and is killed at step N of the commit; the start-up's recovery
// then finds the old set or the new one, whole. Past the last step the child ends on its own.
TEST_F(IndexCommitTest, AKillAtAnyStepOfTheCommitLeavesTheOldOrTheNewSet) {
    for (const IndexKind* kind : {&kZt, &kVkm})
        AtEveryStep(*kind, [&](int step) -> std::optional<bool> {
            const pid_t child = ::fork();
            if (child == 0) {
                stopAtStep = step;
                killAtStop = true;
                IndexCommitStepHook = StopAtStep;
                kind->run();
                ::_exit(0);
            }
            int status = 0;
            EXPECT_EQ(::waitpid(child, &status, 0), child);
            if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return std::nullopt;
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
            StartupOutputSteps().recoverIndexFolder();
            EXPECT_TRUE(ui.Texts("error").empty());
            return ExpectOldOrNew(std::string(kind->name) + " killed at step " + std::to_string(step));
        });
}

// A change that fails at step N: before the new set stands, the run reports the file and the old set is
// whole, with no folder of ours left; after, the run succeeds and what it could not remove goes at the
// next start.
TEST_F(IndexCommitTest, AFailureAtAnyStepOfTheCommitIsUndoneAndNamesItsFile) {
    killAtStop = false;
    for (const IndexKind* kind : {&kZt, &kVkm})
        AtEveryStep(*kind, [&](int step) -> std::optional<bool> {
            stopAtStep = step;
            stoppedAt.clear();
            IndexCommitStepHook = StopAtStep;
            kind->run();
            IndexCommitStepHook = nullptr;
            const std::string context = std::string(kind->name) + " step " + std::to_string(step);
            if (stoppedAt.empty()) return std::nullopt;
            if (ui.Texts("info") == std::vector<std::string>{kind->doneText}) {
                EXPECT_TRUE(ui.Texts("error").empty()) << context;
                StartupOutputSteps().recoverIndexFolder();
                EXPECT_EQ(TreeOf(Folder()), newSet) << context;
                return true;
            }
            EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"無法寫入檔案: " + stoppedAt}) << context;
            EXPECT_EQ(Differences(TreeOf(Folder()), oldSet), "") << context;
            return false;
        });
}

// Files the file system will not let go: the run names the first one, and not one byte of the old set
// changes, whether the refusal comes while the old files move aside or while the new ones move in.
TEST_F(IndexCommitTest, ImmutableFilesStopTheCommitWithTheOldSetWhole) {
    PrepareSets(kZt);
    {
        test::Immutable probe(PathIn(Folder(), "okdata.ztx"));
        if (!probe.ok()) GTEST_SKIP() << "no immutable files here";
    }
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"SPEED/Like", "SPEED/Like/6.ztx"},  // a per-key folder: its first replaced file
        {"okdata.ztx", "okdata.ztx"},
    };
    for (const auto& [locked, named] : cases) {
        ui.shown.clear();
        {
            test::Immutable lock(PathIn(Folder(), locked));
            WriteZtIndex();
        }
        EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"無法寫入檔案: " + PathIn(Folder(), named)});
        EXPECT_EQ(Differences(TreeOf(Folder()), oldSet), "") << locked;
    }

    // An empty library's set has no per-key collection file: the locked folder refuses the first new one,
    // after the other new files are in.
    library.Fill({});
    RestoreTree(Folder(), {});
    WriteZtIndex();
    const Tree emptySet = TreeOf(Folder());
    ASSERT_TRUE(emptySet.contains("SPEED/Like/"));
    FillNew();
    ui.shown.clear();
    {
        test::Immutable lock(PathIn(Folder(), "SPEED/Like"));
        WriteZtIndex();
    }
    EXPECT_EQ(ui.Texts("error"),
              std::vector<std::string>{"無法寫入檔案: " + PathIn(Folder(), "SPEED/Like/6.ztx")});
    EXPECT_EQ(Differences(TreeOf(Folder()), emptySet), "");

    PrepareSets(kVkm);
    ui.shown.clear();
    {
        test::Immutable lock(PathIn(Folder(), "index.vkm"));
        WriteVkmIndex();
    }
    EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"無法寫入檔案: " + PathIn(Folder(), "index.vkm")});
    EXPECT_EQ(Differences(TreeOf(Folder()), oldSet), "");
}

// What the commit waits for is what it wrote and moved, in the order that keeps a crash harmless: every new
// file's bytes before the first old file moves, and every folder a file left or entered after the last
// move, before the marker that says the new set stands. Nothing outside the index folder.
std::vector<std::string> commitEvents;
bool RecordStep(const std::string& path) {
    commitEvents.push_back("step " + path);
    return true;
}
void RecordSync(const std::string& path) { commitEvents.push_back("sync " + path); }

TEST_F(IndexCommitTest, TheCommitSyncsItsOwnFilesAndFoldersInOrder) {
    for (const IndexKind* kind : {&kZt, &kVkm}) {
        PrepareSets(*kind);
        commitEvents.clear();
        IndexCommitStepHook = RecordStep;
        IndexCommitSyncHook = RecordSync;
        kind->run();
        IndexCommitStepHook = nullptr;
        IndexCommitSyncHook = nullptr;
        ASSERT_EQ(TreeOf(Folder()), newSet) << kind->name;

        const std::string staging = PathIn(Folder(), "IndexNew.tmp"),
                          aside = PathIn(Folder(), "IndexOld.tmp");
        auto position = [&](const std::string& event) {
            return std::ranges::find(commitEvents, event) - commitEvents.begin();
        };
        // The moves are the steps between the aside folder's making and the marker.
        const auto firstMove = position("step " + aside) + 1;
        const auto marker = position("step " + PathIn(staging, "commit.done"));
        ASSERT_LT(firstMove, marker) << kind->name;
        std::set<std::string> moveFolders{Folder(), aside};
        auto lastMove = firstMove;
        for (auto i = firstMove; i < marker; ++i) {
            const std::string& event = commitEvents[static_cast<size_t>(i)];
            if (event.rfind("step ", 0) != 0) continue;
            lastMove = i;
            const fs::path moved = fs::path(event.substr(5)).lexically_relative(Folder());
            for (fs::path up = moved.parent_path(); !up.empty(); up = up.parent_path()) {
                moveFolders.insert(PathIn(Folder(), up.string()));
                moveFolders.insert(PathIn(aside, up.string()));
            }
        }
        for (const auto& [name, bytes] : newSet) {
            // The files the run put in place (others of the folder were not its own).
            const bool putInPlace = position("step " + PathIn(Folder(), name)) < marker;
            if (name.back() == '/' || !putInPlace) continue;
            EXPECT_LT(position("sync " + PathIn(staging, name)), firstMove) << kind->name << " " << name;
        }
        for (const std::string& folder : moveFolders) {
            const auto synced = position("sync " + folder);
            EXPECT_TRUE(synced > lastMove && synced < marker) << kind->name << " " << folder;
        }
        for (const std::string& event : commitEvents) {
            const std::string path = event.substr(5);
            EXPECT_TRUE(path == Folder() || path.rfind(Folder() + "/", 0) == 0)
                << kind->name << ": " << event;
        }
    }
}

// The end asked for while the run walks its rows (a logout): the run stops at its next step, not after the
// rest of its work, and leaves the previous set as it was and the song table as it found it. The end
// request is for the whole process: a child asks for it.
TEST_F(IndexCommitTest, AnEndRequestedDuringTheRunStopsItAtItsNextStep) {
    for (const IndexKind* kind : {&kZt, &kVkm}) {
        PrepareSets(*kind);
        ui.shown.clear();
        auto runAndReport = [&] {
            int requestedAt = -1;
            ui.onProgress = [&](int position) {
                if (requestedAt < 0) {
                    requestedAt = position;
                    RequestEnd();
                }
            };
            try {
                kind->run();
            } catch (const RunAbandoned&) {
                const bool stopped = requestedAt >= 0 && ui.lastProgress == requestedAt;
                const bool old = TreeOf(Folder()) == oldSet && ui.Texts("info").empty();
                const bool table = AllSong.size() == 3u && ShownRows == std::vector<int>{0, 1, 2};
                std::_Exit(stopped && old && table ? 7 : 8);
            }
            std::_Exit(9);
        };
        EXPECT_EXIT(runAndReport(), ::testing::ExitedWithCode(7), "") << kind->name;
    }
}

// The staging folder, with the manifest, removed by hand while a commit was cut short: the recovery puts
// back what it moved aside instead of stopping every later start and run, and the next run writes its set.
TEST_F(IndexCommitTest, ACommitWhoseManifestWasRemovedIsStillRecovered) {
    PrepareSets(kZt);
    int aside = 0;
    for (int step = 1;; ++step) {
        ASSERT_LT(step, 5000);
        RestoreTree(Folder(), oldSet);
        const pid_t child = ::fork();
        if (child == 0) {
            stopAtStep = step;
            killAtStop = true;
            IndexCommitStepHook = StopAtStep;
            WriteZtIndex();
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 0) break;
        const bool committing = fs::exists(PathIn(Folder(), "IndexOld.tmp"));
        const bool marked = fs::exists(PathIn(Folder(), "IndexNew.tmp/commit.done"));
        fs::remove_all(PathIn(Folder(), "IndexNew.tmp"));
        ui.shown.clear();
        StartupOutputSteps().recoverIndexFolder();
        EXPECT_TRUE(ui.Texts("error").empty()) << step;
        const Tree now = TreeOf(Folder());
        EXPECT_FALSE(now.contains("IndexNew.tmp/") || now.contains("IndexOld.tmp/")) << step;
        if (committing && !marked) {
            ++aside;
            // Every old file is back with its old bytes; only files the new set adds can stay.
            for (const auto& [name, bytes] : oldSet)
                EXPECT_TRUE(now.contains(name) && now.at(name) == bytes) << step << " " << name;
        }
        WriteZtIndex();
        EXPECT_EQ(TreeOf(Folder()), newSet) << step;
    }
    EXPECT_GT(aside, 10);  // the files were moved aside one by one
}

}  // namespace
}  // namespace qv
