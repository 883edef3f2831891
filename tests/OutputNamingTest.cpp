#include "capture/OutputNaming.h"

#include <boost/regex.hpp>
#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(OutputNaming, FormsThePathsOfTheNamingTable)
{
    const struct {
        const wchar_t* folder;
        const wchar_t* prefix;
        int width;
        const wchar_t* ext;
        int64_t number;
        const wchar_t* path;
    } cases[] = {
        {L"D:\\shots", L"scene", 4, L"png", 7, L"D:\\shots\\scene0007.png"},
        {L"D:\\shots\\", L"scene", 4, L"png", 7, L"D:\\shots\\scene0007.png"},
        {L"D:\\", L"scene", 2, L"BMP", 7, L"D:\\scene07.BMP"},
        {L"D:\\shots", L"", 4, L"png", 0, L"D:\\shots\\0000.png"},
        {L"D:\\shots", L"scene", 3, L"png", 12345, L"D:\\shots\\scene12345.png"},
        {L"D:\\shots", L"scene", 4, L"png", -5, L"D:\\shots\\scene00-5.png"},
        {L"D:", L"scene", 1, L"png", 3, L"D:scene3.png"},
        {L"D:/", L"s", 3, L"png", 1000, L"D:/s1000.png"},
        {L"", L"s", 4, L"png", int64_t{INT32_MAX} + 1, L"s2147483648.png"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.path, JoinPath(c.folder, FormatOutputName(c.prefix, c.number, c.width, c.ext))) << c.path;
}

TEST(OutputNaming, RefusesPrefixesWindowsReadsAsAnotherFolderAStreamOrRefuses)
{
    for (const wchar_t c : std::wstring(L"\\/:*?\"<>|\t\x01\x1f")) {
        const std::wstring prefix = std::wstring(L"a") + c + L"b";
        EXPECT_FALSE(IsAllowedPrefix(prefix)) << static_cast<int>(c);
        EXPECT_FALSE(IsAllowedPrefix(prefix.substr(1))) << static_cast<int>(c);
    }
    EXPECT_FALSE(IsAllowedPrefix(std::wstring(L"a\0b", 3)));
    for (const wchar_t* prefix : {L"", L" ", L"take 1.v2.", L"[a] (b) {c} 100% #d &e", L"\u753b\u9762_", L"a\u00e9~"})
        EXPECT_TRUE(IsAllowedPrefix(prefix)) << prefix;
}

TEST(OutputNaming, BuildsAPatternThatMatchesThePrefixLiterally)
{
    EXPECT_EQ(L"\\.\\|\\*\\?\\+\\(\\)\\{\\}\\[\\]\\^\\$\\\\", EscapeRegex(L".|*?+(){}[]^$\\"));
    EXPECT_EQ(L"scene -#_\u3042", EscapeRegex(L"scene -#_\u3042"));
    EXPECT_EQ(L"^scene(\\d{4}\\d*)\\.[Pp][Nn][Gg]$", BuildSearchPattern(L"scene", 4, L"png"));
    // Only ASCII letters change case; anything else is written twice.
    EXPECT_EQ(L"^x(\\d{2}\\d*)\\.[11][\u00e9\u00e9]$", BuildSearchPattern(L"x", 2, L"1\u00e9"));

    const boost::wregex pattern(BuildSearchPattern(EscapeRegex(L"a.b(1)"), 4, L"png"));
    EXPECT_TRUE(boost::regex_search(std::wstring(L"a.b(1)0007.png"), pattern));
    EXPECT_FALSE(boost::regex_search(std::wstring(L"aXb(1)0007.png"), pattern));
}

TEST(OutputNaming, SequenceNumbersSaturateAtTheLargest32BitValue)
{
    EXPECT_EQ(5, SequenceNumberValue(L"0005"));
    EXPECT_EQ(2147483647, SequenceNumberValue(L"99999999999"));
    EXPECT_EQ(2147483647, SequenceNumberValue(L"99999999999999999999999"));
}

}  // namespace
