#include <gtest/gtest.h>

#include "catalogue/Big5Codec.h"
#include "catalogue/ReadingCodes.h"
#include "resources/ShippedData.h"
#include "support/FakeUserInterface.h"

// The shipped table read the way the program reads it at start.
TEST(JapaneseReading, ShippedTableBuildsAndGivesInitials) {
    qv::test::FakeUserInterface ui;
    qv::BuildJapaneseTables(qv::ShippedJapaneseTable());
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_GT(qv::KanjiList.size(), 2500u);
    EXPECT_EQ(qv::KanaList.size(), 142u);
    EXPECT_EQ(qv::MakeJapanesePinyin(qv::Utf8ToBig5("電感特"), 0), "DKT");
    EXPECT_EQ(qv::MakeJapanesePinyin(qv::Utf8ToBig5("サクラ(Live)"), 0), "SKR");
    EXPECT_EQ(qv::MakeJapanesePinyin(qv::Utf8ToBig5("Tokyo 月"), 2), "TG");
}
