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

TEST(OutputNaming, RefusesOnlyPrefixesWhoseSequencePassesADeviceName)
{
    for (const wchar_t* prefix : {L"COM", L"com", L"Com", L"LPT", L"lpt", L"lPt"}) {
        EXPECT_TRUE(NamesADevice(prefix, 1, 1)) << prefix;
        EXPECT_TRUE(NamesADevice(prefix, 1, 9)) << prefix;
        EXPECT_TRUE(NamesADevice(prefix, 1, -5)) << prefix;
        EXPECT_FALSE(NamesADevice(prefix, 1, 10)) << prefix;
        EXPECT_FALSE(NamesADevice(prefix, 2, 1)) << prefix;
    }
    for (const wchar_t* prefix : {L"COMA", L"CO", L"", L"COM ", L"xCOM", L"AUX", L"CON", L"PRN", L"NUL", L"LPT1"})
        EXPECT_FALSE(NamesADevice(prefix, 1, 1)) << prefix;
}

// The pattern reads what follows the prefix; the prefix itself is compared by the file system's rule.
TEST(OutputNaming, ThePatternFindsEveryNumberACaptureWritesAndTheExtensionInAnyCase)
{
    EXPECT_EQ(L"^(\\d{4}\\d*|0*-[1-9]\\d*)\\.[Pp][Nn][Gg]$", BuildSearchPattern(4, L"png"));
    // Only ASCII letters change case; anything else is written twice.
    EXPECT_EQ(L"^(\\d{2}\\d*|0*-[1-9]\\d*)\\.[11][\u00e9\u00e9]$", BuildSearchPattern(2, L"1\u00e9"));

    const boost::wregex pattern(BuildSearchPattern(3, L"png"));
    for (const wchar_t* rest : {L"000.png", L"0-2.PNG", L"-123.pNg", L"12345.png", L"00-5.png"})
        EXPECT_TRUE(boost::regex_search(std::wstring(rest), pattern)) << rest;
    for (const wchar_t* rest : {L"00.png", L"0-0.png", L"0-02.png", L"-.png", L"000.png.bak", L"000.bmp", L"x000.png"})
        EXPECT_FALSE(boost::regex_search(std::wstring(rest), pattern)) << rest;
}

TEST(OutputNaming, SequenceNumbersSaturateUpwardAndNegativeOnesCountOnlyAsACaptureWritesThem)
{
    EXPECT_EQ(5, SequenceNumberValue(L"0005", 4));
    EXPECT_EQ(2147483647, SequenceNumberValue(L"99999999999", 4));
    EXPECT_EQ(2147483647, SequenceNumberValue(L"99999999999999999999999", 4));

    EXPECT_EQ(-2, SequenceNumberValue(L"0-2", 3));
    EXPECT_EQ(-2, SequenceNumberValue(L"-2", 1));
    EXPECT_EQ(-12345, SequenceNumberValue(L"-12345", 3));
    EXPECT_EQ(INT32_MIN, SequenceNumberValue(L"-2147483648", 4));
    // Padding another width gives, or none a capture writes.
    EXPECT_EQ(std::nullopt, SequenceNumberValue(L"00-2", 3));
    EXPECT_EQ(std::nullopt, SequenceNumberValue(L"-2", 3));
    EXPECT_EQ(std::nullopt, SequenceNumberValue(L"0-02", 4));
    EXPECT_EQ(std::nullopt, SequenceNumberValue(L"-0", 2));
    // Below the 32-bit range, however long.
    EXPECT_EQ(std::nullopt, SequenceNumberValue(L"-2147483649", 4));
    EXPECT_EQ(std::nullopt, SequenceNumberValue(L"-99999999999999999999999", 4));
}

}  // namespace
