#pragma once
// The ZT jukebox's screen menu "menu.ztx" as the jukebox expects it when first written, for the tests of
// its writer and of its editor.
#include <string>

#include "catalogue/Big5Codec.h"

namespace qv::test {

// The jukebox's menu as first written: 42 lines, CR LF after each.
inline std::string StandardZtMenu(const char* lineBreak = "\r\n") {
    static const char* const lines[42] = {
        "[00]◎主要選單◎", "[01]1.歌星點歌", "[02]2.語言點歌", "[03]3.收藏歌曲",   "[04]4.點播排行榜",
        "[05]5.拼音點歌", "[06]6.注音點歌", "[07]◎歌星點歌◎", "[08]1.男歌星  ",   "[09]2.女歌星  ",
        "[10]3.團體歌星", "[11]4.外語歌星", "[12]5.雙人對唱", "[13]6.其他歌星",   "[14]◎語言點歌◎",
        "[15]1.國語歌曲", "[16]2.台語歌曲", "[17]3.粵語歌曲", "[18]4.英文歌曲",   "[19]5.日韓歌曲",
        "[20]6.其他語言", "[21]◎收藏歌曲◎", "[22]1.新進歌曲", "[23]2.流行歌曲",   "[24]3.我的最愛",
        "[25]4.懷舊歌曲", "[26]5.經典歌曲", "[27]6.所有歌曲", "[28]歌手姓氏筆劃", "[29]1. 3劃以下",
        "[30]2. 3到 7劃", "[31]3. 8到10劃", "[32]4.11到13劃", "[33]5.13劃以上",   "[34]6.最愛歌手",
        "[35]◎歌曲字數◎", "[36]1.一到二字", "[37]2.三字歌曲", "[38]3.四字歌曲",   "[39]4.五字歌曲",
        "[40]5.六字歌曲", "[41]6.七字以上"};
    std::string text;
    for (const char* line : lines) text += Utf8ToBig5(line) + lineBreak;
    return text;
}

}  // namespace qv::test
