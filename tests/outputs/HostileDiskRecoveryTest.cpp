// A disk whose left-overs of cut runs were made to reach outside it: the start-up's recovery and tidy-up
// leave everything outside the disk as it was, leave what they refuse where it is, and say so once.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/BeneathFolder.h"
#include "catalogue/Big5Codec.h"
#include "catalogue/ProgramState.h"
#include "library/Startup.h"
#include "outputs/IndexCommon.h"
#include "outputs/IndexStaging.h"
#include "outputs/OutputSteps.h"
#include "support/FakeUserInterface.h"
#include "support/FolderSnapshot.h"
#include "support/TempFolder.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

class HostileDiskTest : public ::testing::Test {
protected:
    void TearDown() override {
        StartupOutputSteps() = {};
        UseOpenat2 = true;
    }

    // The disk at "home/KTV" of the test's folder, empty but for "000"; the rest of home is the user's.
    void FreshDisk() {
        for (const auto& entry : fs::directory_iterator(temp.Path())) fs::remove_all(entry.path());
        fs::create_directories(Disk("000"));
        AppDir = LibraryRoot = Disk();
        InstallOutputSteps();
    }
    std::string Home(const std::string& name) const { return temp.File("home/" + name); }
    std::string Disk(const std::string& name = "") const {
        return Home(name.empty() ? "KTV" : "KTV/" + name);
    }
    static void Write(const std::string& path, const std::string& bytes) {
        fs::create_directories(fs::path(path).parent_path());
        test::WriteBytes(path, bytes);
    }
    // Everything of the test's folder but the disk.
    test::FolderSnapshot Outside() const {
        test::FolderSnapshot all = test::SnapshotOf(temp.Path());
        std::erase_if(all, [](const auto& entry) { return entry.first.starts_with("home/KTV"); });
        return all;
    }
    std::vector<std::string> Errors(const std::function<void()>& step) {
        ui.shown.clear();
        step();
        return ui.Texts("error");
    }
    std::vector<std::string> CannotRestore(const std::string& folder, const std::string& into) const {
        return {"無法復原" + folder + "目錄到" + into + "目錄, 請手動復原!"};
    }
    // The user's thesis, and a link on the disk to its folder.
    void LinkToTheUsersDocuments() {
        Write(Home("Documents/thesis.txt"), "thesis");
        fs::create_directory_symlink(Home("Documents"), Disk("000/Docs"));
    }
    // The start-up's recovery says once that the old set stays aside, and nothing outside the disk changed.
    void ExpectRecoveryRefused(const test::FolderSnapshot& before) {
        EXPECT_EQ(Errors(StartupOutputSteps().recoverIndexFolder),
                  CannotRestore(Disk("000/IndexOld.tmp"), Disk("000")));
        EXPECT_EQ(Outside(), before);
    }
    // The body once with openat2 and once with the walk over each component.
    void BothWays(const std::function<void()>& body) {
        for (const bool openat2 : {true, false}) {
            SCOPED_TRACE(openat2 ? "openat2" : "component walk");
            UseOpenat2 = openat2;
            FreshDisk();
            body();
        }
    }

    test::TempFolder temp;
    test::FakeUserInterface ui;
};

TEST_F(HostileDiskTest, ManifestNamesOutsideTheIndexSetMoveNothing) {
    BothWays([&] {
        Write(Disk(".config/autostart/qv.desktop"), "the disk's");
        Write(Home(".config/autostart/other.desktop"), "the user's");
        Write(Home("Documents/thesis.txt"), "thesis");
        Write(Disk("000/IndexNew.tmp/commit.list"),
              "-../../.config/autostart/qv.desktop\n-../../../Documents/thesis.txt\n");
        Write(Disk("000/IndexOld.tmp/okdata.ztx"), "old");
        const test::FolderSnapshot before = Outside();

        ExpectRecoveryRefused(before);
        EXPECT_EQ(test::ReadBytes(Disk(".config/autostart/qv.desktop")), "the disk's");
        // A manifest that names one file outside the set is not taken for any of its names.
        EXPECT_EQ(test::ReadBytes(Disk("000/IndexOld.tmp/okdata.ztx")), "old");
        EXPECT_TRUE(fs::exists(Disk("000/IndexNew.tmp/commit.list")));
        EXPECT_FALSE(fs::exists(Disk("000/okdata.ztx")));
    });
}

TEST_F(HostileDiskTest, ANewFileReachedThroughALinkIsNotTakenBack) {
    BothWays([&] {
        LinkToTheUsersDocuments();
        Write(Disk("000/okdata.ztx"), "new");
        Write(Disk("000/IndexNew.tmp/commit.list"), "+okdata.ztx\n+Docs/thesis.txt\n");
        Write(Disk("000/IndexOld.tmp/okdata.ztx"), "old");
        const test::FolderSnapshot before = Outside();

        ExpectRecoveryRefused(before);
        // What the links do not touch is rolled back as before.
        EXPECT_EQ(test::ReadBytes(Disk("000/okdata.ztx")), "old");
        EXPECT_EQ(test::ReadBytes(Disk("000/IndexNew.tmp/okdata.ztx")), "new");
        EXPECT_TRUE(fs::is_symlink(Disk("000/Docs")));
    });
}

TEST_F(HostileDiskTest, AnOldFileIsNotPutBackThroughALinkWithoutAManifest) {
    BothWays([&] {
        LinkToTheUsersDocuments();
        Write(Disk("000/IndexOld.tmp/Docs/thesis.txt"), "the disk's");
        Write(Disk("000/IndexOld.tmp/okdata.ztx"), "old");
        Write(Disk("000/okdata.ztx"), "new");
        const test::FolderSnapshot before = Outside();

        ExpectRecoveryRefused(before);
        EXPECT_EQ(test::ReadBytes(Disk("000/okdata.ztx")), "old");
        EXPECT_EQ(test::ReadBytes(Disk("000/IndexOld.tmp/Docs/thesis.txt")), "the disk's");

        // Once the link is gone the next start finishes the recovery and says nothing.
        fs::remove(Disk("000/Docs"));
        EXPECT_EQ(Errors(StartupOutputSteps().recoverIndexFolder), std::vector<std::string>{});
        EXPECT_EQ(test::ReadBytes(Disk("000/Docs/thesis.txt")), "the disk's");
        EXPECT_FALSE(fs::exists(Disk("000/IndexOld.tmp")));
        EXPECT_EQ(Outside(), before);
    });
}

// The run's own commit neither drops nor replaces a file whose place it reaches only through a link.
TEST_F(HostileDiskTest, AnIndexRunMovesNothingThroughALink) {
    BothWays([&] {
        LinkToTheUsersDocuments();
        Write(Disk("000/okdata.ztx"), "old");
        const test::FolderSnapshot before = Outside();
        {
            IndexStaging staging(Disk("000"));
            staging.Write("okdata.ztx", "new");
            staging.Drop("Docs/thesis.txt");
            staging.Commit();
        }
        EXPECT_EQ(test::ReadBytes(Disk("000/okdata.ztx")), "new");
        std::string refused;
        try {
            IndexStaging staging(Disk("000"));
            staging.Write("okdata.ztx", "newer");
            staging.Write("Docs/thesis.txt", "the disk's");
            staging.Commit();
        } catch (const IndexRunError& error) {
            refused = Big5ToUtf8(error.what());
        }
        EXPECT_EQ(refused, "無法寫入檔案: " + Disk("000/Docs/thesis.txt"));
        EXPECT_EQ(test::ReadBytes(Disk("000/okdata.ztx")), "new");
        EXPECT_EQ(Outside(), before);
        EXPECT_FALSE(fs::exists(Disk("000/IndexNew.tmp")));
    });
}

TEST_F(HostileDiskTest, TheOfflineBookTidyMovesNothingIntoABookThatIsALink) {
    BothWays([&] {
        Write(Home("site/index.html"), "the user's page");
        fs::create_directory_symlink(Home("site"), Disk("obrel"));
        for (const char* left : {"obrel.old.tmp", "obrel.new.tmp"}) {
            SCOPED_TRACE(left);
            Write(Disk(std::string(left) + "/img/1.jpg"), "the disk's");
            const test::FolderSnapshot before = Outside();

            EXPECT_EQ(Errors(StartupOutputSteps().tidyOfflineBook), CannotRestore(Disk(left), Disk("obrel")));
            EXPECT_EQ(Outside(), before);
            EXPECT_EQ(test::ReadBytes(Disk(std::string(left) + "/img/1.jpg")), "the disk's");
            EXPECT_TRUE(fs::is_symlink(Disk("obrel")));
            fs::remove_all(Disk(left));
        }
    });
}

}  // namespace
}  // namespace qv
