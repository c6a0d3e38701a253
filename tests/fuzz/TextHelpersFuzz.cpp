// Any bytes through the Big5 text helpers: none throws or reads past its text, and each keeps its
// promise about what it returns (counts in range, trims idempotent, results no longer than the text).
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "catalogue/CharTw.h"

using fuzz::Require;

namespace {

bool IsPrefix(const std::string& part, const std::string& whole) {
    return whole.compare(0, part.size(), part) == 0;
}

bool IsSuffix(const std::string& part, const std::string& whole) {
    return part.size() <= whole.size() && whole.compare(whole.size() - part.size(), part.size(), part) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string open = in.ConsumeRandomLengthString(4);
    const std::string close = in.ConsumeRandomLengthString(4);
    const int width = in.ConsumeIntegralInRange<int>(-2, 80);
    const char from = in.ConsumeIntegral<char>();
    const char to = in.ConsumeIntegral<char>();
    const int start = in.ConsumeIntegralInRange<int>(-2, 200);
    const std::string text = in.ConsumeRemainingBytesAsString();

    const int strokes = qv::Big5StrokeCountOfFirstChar(text);
    Require(strokes >= 0 && strokes <= 48);
    Require(qv::CountSongWords(text) >= 1);

    const std::string leading = qv::TrimLeadingBlanks(text);
    const std::string trailing = qv::TrimTrailingBlanks(text);
    const std::string both = qv::TrimBlanks(text);
    Require(IsSuffix(leading, text) && IsPrefix(trailing, text));
    Require(qv::TrimBlanks(both) == both);
    Require(qv::TrimTrailingBlanks(trailing) == trailing && qv::TrimLeadingBlanks(leading) == leading);

    const std::string cut = qv::TrimAndCutName(text, width);
    Require(cut.size() <= static_cast<size_t>(width < 0 ? 0 : width));
    const std::string fixed = qv::FixTruncatedDbcsTail(text);
    Require(fixed.size() == text.size() && qv::FixTruncatedDbcsTail(fixed) == fixed);

    qv::IsValidSongText(text);
    Require(qv::ContainsDbcs(text) == (std::find_if(text.begin(), text.end(), [](char c) {
                                           return qv::IsBig5LeadByte(static_cast<unsigned char>(c));
                                       }) != text.end()));
    Require(qv::ReplaceSingleByteChar(text, from, to).size() == text.size());
    Require(qv::LowerCaseBig5(text).size() == text.size());

    const int pos = qv::PosCharDbcs(text, start, from);
    Require(pos == 0 || (pos >= start && pos <= static_cast<int>(text.size()) && text[pos - 1] == from));

    Require(IsPrefix(qv::StripParenSuffix(text), text));
    const std::string removed = qv::RemoveDelimited(text, open, close);
    Require(removed == text || removed.size() + open.size() + close.size() <= text.size());
    Require(qv::RemoveBracketGroups(text).size() <= text.size());
    Require(qv::CleanFileNameTitle(text).size() <= text.size());
    Require(qv::StripFileNameTags(text).size() <= text.size());

    std::string digitsGone = text;
    const int digits = qv::RemoveAsciiDigits(digitsGone);
    Require(digits >= 0 && digitsGone.size() + static_cast<size_t>(digits) == text.size());

    const bool integer = qv::IsInteger(text);
    Require(integer || qv::SafeStrToInt(text) == 0);
    const int language = qv::LanguageCodeOfName(text);
    const int singerClass = qv::SingerClassCodeOfName(text);
    Require(language >= 1 && language <= 9 && singerClass >= 1 && singerClass <= 8);

    const size_t found = qv::FindAligned(text, open);
    Require(found == std::string::npos || text.compare(found, open.size(), open) == 0);
    return 0;
}
