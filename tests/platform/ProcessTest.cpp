#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/Process.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

TEST(ProcessTest, StartsTheProgramInItsFolderWithItsArgumentsOrSaysItCannot) {
    fs::path folder = fs::temp_directory_path() / ("qv_process_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    fs::path program = folder / "tool";
    {
        std::ofstream out(program);
        out << "#!/bin/sh\necho \"$# $1 $2\" > started.tmp\npwd >> started.tmp\nmv started.tmp started.txt\n";
    }
    fs::permissions(program, fs::perms::owner_all);
    ASSERT_TRUE(StartProgram(program.string(), {"7.2", "two words"}, folder.string()));
    for (int i = 0; i < 2400 && !fs::exists(folder / "started.txt"); ++i)  // two minutes at most
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::ifstream in(folder / "started.txt");
    std::string arguments, where;
    std::getline(in, arguments);
    std::getline(in, where);
    EXPECT_EQ(arguments, "2 7.2 two words");
    EXPECT_EQ(fs::path(where), fs::canonical(folder));

    EXPECT_FALSE(StartProgram((folder / "absent").string(), {}, folder.string()));
    fs::permissions(program, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_FALSE(StartProgram(program.string(), {}, folder.string()));
    fs::remove_all(folder);
}

}  // namespace
}  // namespace qv
