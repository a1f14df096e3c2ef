// Date and time texts read with pinned locale settings.
#include <gtest/gtest.h>

#include <ctime>

#include "SysUtils.hpp"

namespace {

class DateTexts : public ::testing::Test {
 protected:
  void TearDown() override { GetFormatSettings(); }
  void Russian() {
    ShortDateFormat = "dd.MM.yyyy";
    DateSeparator = '.';
    TimeSeparator = ':';
    DecimalSeparator = ',';
    TimeAMString.clear();
    TimePMString.clear();
  }
  void American() {
    ShortDateFormat = "M/d/yyyy";
    DateSeparator = '/';
    DecimalSeparator = '.';
    TimeAMString = "AM";
    TimePMString = "PM";
  }
};

TEST_F(DateTexts, EncodingCountsDaysFromTheEpochAndRefusesWhatNoCalendarHas) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
  EXPECT_EQ(EncodeDate(1900, 3, 1), 61);
  EXPECT_EQ(EncodeDate(2000, 1, 1), 36526);
  EXPECT_EQ(EncodeDate(1899, 12, 29), -1);
  EXPECT_EQ(EncodeDate(2024, 2, 29) + 1, EncodeDate(2024, 3, 1));
  EXPECT_DOUBLE_EQ(EncodeTime(18, 0, 0, 0), 0.75);
  EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
  EXPECT_THROW(EncodeDate(1900, 2, 29), EConvertError);
  EXPECT_THROW(EncodeDate(2023, 13, 1), EConvertError);
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
}

TEST_F(DateTexts, DatesFollowTheOrderOfTheShortFormat) {
  Russian();
  EXPECT_EQ(StrToDate("09.12.2026"), EncodeDate(2026, 12, 9));
  EXPECT_EQ(StrToDate(" 1.2.1999 "), EncodeDate(1999, 2, 1));
  EXPECT_EQ(StrToDateTime("31.01.2020 7:05"), EncodeDate(2020, 1, 31) + EncodeTime(7, 5, 0, 0));
  American();
  EXPECT_EQ(StrToDate("12/9/2026"), EncodeDate(2026, 12, 9));
  EXPECT_EQ(StrToDateTime("1/31/2020 11:30:15 PM"), EncodeDate(2020, 1, 31) + EncodeTime(23, 30, 15, 0));
  ShortDateFormat = "yyyy-MM-dd";
  DateSeparator = '-';
  EXPECT_EQ(StrToDate("2026-12-09"), EncodeDate(2026, 12, 9));
  // Two numbers are a day in the current year; two-digit years lie within
  // fifty years of it.
  Russian();
  const std::time_t now = std::time(nullptr);
  const int year = std::localtime(&now)->tm_year + 1900;
  EXPECT_EQ(StrToDate("3.4"), EncodeDate(year, 4, 3));
  EXPECT_EQ(StrToDate("3.4." + std::to_string((year + 10) % 100)), EncodeDate(year + 10, 4, 3));
  EXPECT_EQ(StrToDate("3.4." + std::to_string((year + 60) % 100)), EncodeDate(year - 40, 4, 3));
}

TEST_F(DateTexts, TimesWithAndWithoutSecondsAndTheTwelveHourMarkers) {
  Russian();
  EXPECT_DOUBLE_EQ(StrToTime("18:00"), 0.75);
  EXPECT_DOUBLE_EQ(StrToTime("0:00:01"), 1.0 / 86400);
  EXPECT_DOUBLE_EQ(StrToTime("23:59:59,5"), EncodeTime(23, 59, 59, 500));
  American();
  EXPECT_DOUBLE_EQ(StrToTime("6:00 PM"), 0.75);
  EXPECT_DOUBLE_EQ(StrToTime("6:00:30 am"), EncodeTime(6, 0, 30, 0));
  EXPECT_DOUBLE_EQ(StrToTime("12:15 AM"), EncodeTime(0, 15, 0, 0));
  EXPECT_DOUBLE_EQ(StrToTime("12:15 PM"), EncodeTime(12, 15, 0, 0));
  // A locale's own markers, before the time as some locales write them.
  TimeAMString = "a.m.";
  TimePMString = "p.m.";
  EXPECT_DOUBLE_EQ(StrToTime("p.m. 1:00"), EncodeTime(13, 0, 0, 0));
  EXPECT_DOUBLE_EQ(StrToTime("1:00 PM"), EncodeTime(13, 0, 0, 0));
}

TEST_F(DateTexts, BadTextsFailWithTheTextNamed) {
  Russian();
  for (const char* bad : {"", "x", "09.", "09.12.2026x", "31.02.2026", "09/12/2026", "9.12.20266", "123.1.2000",
                          "09.12.2026 25:00", "09.12.202618:00"}) {
    TDateTime value = 1;
    EXPECT_FALSE(TryStrToDateTime(bad, value)) << bad;
  }
  for (const char* bad : {"", "18", "18:", "18:60", "24:00", "0:30 PM", ":30", "18:00:00,1234", "18.00"}) {
    TDateTime value = 1;
    EXPECT_FALSE(TryStrToTime(bad, value)) << bad;
    EXPECT_EQ(value, 1) << "untouched on failure";
  }
  American();
  TDateTime value = 0;
  EXPECT_FALSE(TryStrToTime("13:00 PM", value));
  try {
    StrToDate("31.02.2026");
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'31.02.2026' is not a valid date");
  }
  EXPECT_THROW(StrToTime("x"), EConvertError);
  EXPECT_THROW(StrToDateTime("1/2/2000 x"), EConvertError);
}

}  // namespace
