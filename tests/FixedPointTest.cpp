#include "ui/FixedPoint.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

struct ParseCase {
    const wchar_t* text;
    int decimals;
    int32_t expected;
};

TEST(FixedPoint, ParsesTheGrammarWithoutRounding)
{
    const ParseCase cases[] = {
        {L"29.97", 2, 2997}, {L"5", 2, 500},     {L"+5", 2, 500},   {L"1.", 2, 100},
        {L"0.05", 2, 5},     {L"1.5", 2, 150},   {L"-1.5", 2, -150}, {L"-0.5", 2, -50},
        {L"12.9", 0, 12},    {L"-7", 0, -7},     {L"1.999", 2, 199}, {L"0.009", 2, 0},
        {L"007", 0, 7},      {L"7.", 0, 7},      {L"-0", 0, 0},
    };
    for (const ParseCase& c : cases) {
        int32_t value = 12345;
        EXPECT_TRUE(ParseFixedPoint(c.text, c.decimals, value)) << c.text;
        EXPECT_EQ(c.expected, value) << c.text;
    }
}

TEST(FixedPoint, RejectsTextOutsideTheGrammarAndLeavesTheValue)
{
    for (const wchar_t* text : {L".5", L"1,5", L"1e2", L"abc", L"5 x", L"", L" 5", L"5 ", L"+-5", L"--5", L"1..2",
                                L"0x10", L"\x0661"}) {
        for (int decimals : {0, 2}) {
            int32_t value = 42;
            EXPECT_FALSE(ParseFixedPoint(text, decimals, value)) << text;
            EXPECT_EQ(42, value);
        }
    }
}

TEST(FixedPoint, SaturatesTheIntegerPartButFailsWhenScalingOverflows)
{
    int32_t value = 0;
    EXPECT_TRUE(ParseFixedPoint(L"99999999999", 0, value));
    EXPECT_EQ(INT32_MAX, value);
    EXPECT_TRUE(ParseFixedPoint(L"-99999999999", 0, value));
    EXPECT_EQ(INT32_MIN, value);
    EXPECT_FALSE(ParseFixedPoint(L"99999999999", 2, value));

    // The exact limits with two decimals, and one hundredth beyond each.
    EXPECT_TRUE(ParseFixedPoint(L"21474836.47", 2, value));
    EXPECT_EQ(INT32_MAX, value);
    EXPECT_FALSE(ParseFixedPoint(L"21474836.48", 2, value));
    EXPECT_TRUE(ParseFixedPoint(L"-21474836.48", 2, value));
    EXPECT_EQ(INT32_MIN, value);
    EXPECT_FALSE(ParseFixedPoint(L"-21474836.49", 2, value));
    EXPECT_FALSE(ParseFixedPoint(L"21474837", 2, value));
}

TEST(FixedPoint, FormatsWithExactlyTheDecimalsUnlessTheFractionIsZero)
{
    EXPECT_EQ(L"10", FormatFixedPoint(1000, 2));
    EXPECT_EQ(L"29.97", FormatFixedPoint(2997, 2));
    EXPECT_EQ(L"1.50", FormatFixedPoint(150, 2));
    EXPECT_EQ(L"0.05", FormatFixedPoint(5, 2));
    EXPECT_EQ(L"-1.50", FormatFixedPoint(-150, 2));
    EXPECT_EQ(L"-0.50", FormatFixedPoint(-50, 2));
    EXPECT_EQ(L"7", FormatFixedPoint(7, 0));
    EXPECT_EQ(L"-2147483648", FormatFixedPoint(INT32_MIN, 0));
    EXPECT_EQ(L"-21474836.48", FormatFixedPoint(INT32_MIN, 2));
    EXPECT_EQ(L"21474836.47", FormatFixedPoint(INT32_MAX, 2));
}

TEST(FixedPoint, EverySaveRateTheBoxCanShowReadsBackUnchanged)
{
    for (int32_t rate = 1; rate <= 5000; ++rate) {
        int32_t back = 0;
        ASSERT_TRUE(ParseFixedPoint(FormatFixedPoint(rate, 2), 2, back)) << rate;
        ASSERT_EQ(rate, back);
    }
}

}  // namespace
