// Locale default date and time texts and the buffer rules.
#include "platform/DateFormat.h"
#include "platform/LastError.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

SYSTEMTIME Sample()
{
    SYSTEMTIME st;
    st.wYear = 2026;
    st.wMonth = 12;
    st.wDay = 6;
    st.wDayOfWeek = 0;
    st.wHour = 14;
    st.wMinute = 5;
    st.wSecond = 9;
    return st;
}

std::string Date(DWORD flags = LOCALE_NOUSEROVERRIDE, const char* format = nullptr)
{
    SYSTEMTIME st = Sample();
    char buf[64] = {};
    return GetDateFormatA(LOCALE_USER_DEFAULT, flags, &st, format, buf, 64) ? buf : "<failed>";
}

std::string Time(DWORD flags = LOCALE_NOUSEROVERRIDE, const char* format = nullptr)
{
    SYSTEMTIME st = Sample();
    char buf[64] = {};
    return GetTimeFormatA(LOCALE_USER_DEFAULT, flags, &st, format, buf, 64) ? buf : "<failed>";
}

class LocaleEnv : public ::testing::Test {
protected:
    void Use(const char* all, const char* time, const char* lang)
    {
        auto set = [](const char* name, const char* value) {
            if (value)
                setenv(name, value, 1);
            else
                unsetenv(name);
        };
        set("LC_ALL", all);
        set("LC_TIME", time);
        set("LANG", lang);
    }
    void TearDown() override { Use("C.UTF-8", nullptr, "C.UTF-8"); }
};

TEST_F(LocaleEnv, DefaultFormatsOfTheUsersLocale)
{
    Use(nullptr, nullptr, "sv_SE.UTF-8");
    EXPECT_EQ(Date(), "2026-12-06");
    EXPECT_EQ(Time(), "14:05:09");
    Use(nullptr, nullptr, "en_US.UTF-8");
    EXPECT_EQ(Date(), "12/6/26");
    EXPECT_EQ(Time(), "2:05:09 PM");
    EXPECT_EQ(Time(LOCALE_NOUSEROVERRIDE | TIME_FORCE24HOURFORMAT), "14:05:09");
    EXPECT_EQ(Time(TIME_NOSECONDS), "2:05 PM");
    Use("C", nullptr, nullptr);
    EXPECT_EQ(Date(), "2026-12-06");
    EXPECT_EQ(Time(), "14:05:09");
    EXPECT_EQ(Time(TIME_NOSECONDS), "14:05");
    EXPECT_EQ(Time(TIME_NOMINUTESORSECONDS), "14");
}

TEST_F(LocaleEnv, PosixOrderOfTheVariables)
{
    Use("sv_SE.UTF-8", "en_US.UTF-8", "en_US.UTF-8");
    EXPECT_EQ(Date(), "2026-12-06") << "LC_ALL wins";
    Use(nullptr, "sv_SE.UTF-8", "en_US.UTF-8");
    EXPECT_EQ(Date(), "2026-12-06") << "LC_TIME before LANG";
    Use("", "", "en_US.UTF-8");
    EXPECT_EQ(Date(), "12/6/26") << "empty variables count as unset";
    Use(nullptr, nullptr, nullptr);
    EXPECT_EQ(Date(), "2026-12-06");
}

TEST_F(LocaleEnv, PicturesAndTheBufferLimit)
{
    Use(nullptr, nullptr, "sv_SE.UTF-8");
    EXPECT_EQ(Date(0, "dddd d MMMM yyyy"), "söndag 6 december 2026");
    EXPECT_EQ(Date(0, "'Den' dd/MM 'år' yy 'o''k'"), "Den 06/12 år 26 o'k");
    EXPECT_EQ(Time(0, "hh:mm tt"), "02:05 em");

    // 63 characters fit in 64; 64 do not, and nothing is written then.
    std::string fits = "'" + std::string(63, 'x') + "'";
    std::string over = "'" + std::string(64, 'x') + "'";
    EXPECT_EQ(Date(0, fits.c_str()), std::string(63, 'x'));
    SYSTEMTIME st = Sample();
    char buf[64];
    std::fill(buf, buf + 64, '#');
    EXPECT_EQ(GetDateFormatA(LOCALE_USER_DEFAULT, 0, &st, over.c_str(), buf, 64), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(buf[0], '#');
    EXPECT_EQ(GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, over.c_str(), buf, 64), 0);
    EXPECT_EQ(GetDateFormatA(LOCALE_USER_DEFAULT, 0, &st, over.c_str(), nullptr, 0), 65) << "size asked for";
    // Multi-byte names count in bytes: "ö" is two.
    EXPECT_EQ(GetDateFormatA(LOCALE_USER_DEFAULT, 0, &st, "dddd", nullptr, 0), int(sizeof("söndag")));
}

TEST_F(LocaleEnv, InvalidTimesAndLocalesFail)
{
    SYSTEMTIME st = Sample();
    char buf[64];
    st.wMonth = 13;
    EXPECT_EQ(GetDateFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, buf, 64), 0);
    st = Sample();
    st.wDay = 31;
    st.wMonth = 11;
    EXPECT_EQ(GetDateFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, buf, 64), 0);
    st = Sample();
    st.wHour = 24;
    EXPECT_EQ(GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, buf, 64), 0);
    st = Sample();
    EXPECT_EQ(GetDateFormatA(0x041D, 0, &st, nullptr, buf, 64), 0);
    EXPECT_EQ(GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE | DATE_LONGDATE, &st, nullptr, buf, 64), 0);
    EXPECT_GT(GetDateFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, buf, 64), 0) << "null is now";
}

}  // namespace
