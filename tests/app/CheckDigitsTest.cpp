#include "app/CheckDigits.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using TRoutine = std::string (*)(std::string_view);

struct TWorkedValue {
  const char* Name;
  TRoutine Routine;
  const char* Input;
  const char* Expected;
};

// Published worked examples of the numbering systems.
const TWorkedValue WorkedValues[] = {
    {"EAN-13", pglocleean13, "400638133393", "4006381333931"},
    {"EAN-13 short", pglocleean13, "12345678901", ""},
    {"EAN-8", pglocleean8, "9638507", "96385074"},
    {"UPC-A", pglocleupca, "03600029145", "036000291452"},
    {"SSCC", pglocleesscc, "00614141123456789", "006141411234567890"},
    {"EAN-14", pglocleean14, "1061414100041", "10614141000415"},
    {"ISBN-10", pglocleisbn10, "030640615", "0306406152"},
    {"ISBN-10 with X", pglocleisbn10, "080442957", "080442957X"},
    {"ISBN as EAN-13", pglocleponderee31, "978030640615", "9780306406157"},
    {"weighted 3-1 of nothing", pglocleponderee31, "", "0"},
    // A text that is not a number has no check digit, whatever its length.
    {"EAN-13 with a letter O", pglocleean13, "4OO638133393", ""},
    {"EAN-13 of letters", pglocleean13, "ABCDEFGHIJKL", ""},
    {"EAN-8 with a space", pglocleean8, "963 507", ""},
    {"UPC-A with a sign", pglocleupca, "-3600029145", ""},
    {"EAN-14 with a letter", pglocleean14, "106141410004l", ""},
    {"SSCC with a letter", pglocleesscc, "0061414112345678O", ""},
    {"ISBN-10 with a letter", pglocleisbn10, "0306406A5", ""},
    {"ISBN-10 with its X typed", pglocleisbn10, "08044295X", ""},
    {"weighted 3-1 with a letter", pglocleponderee31, "978030640A15", ""},
    {"EAN-13 with an accented letter", pglocleean13, "4006381333\u00e93", ""},
    {"UPC-A with an accented letter", pglocleupca, "\u00e03600029145", ""},
};

TEST(CheckDigits, WorkedValues) {
  for (const auto& value : WorkedValues) EXPECT_EQ(value.Routine(value.Input), value.Expected) << value.Name;
}

struct TLengthRule {
  const char* Name;
  TRoutine Routine;
  std::size_t Length;
};

const TLengthRule LengthRules[] = {
    {"EAN-13", pglocleean13, 12}, {"EAN-8", pglocleean8, 7},   {"UPC-A", pglocleupca, 11},
    {"EAN-14", pglocleean14, 13}, {"SSCC", pglocleesscc, 17}, {"ISBN-10", pglocleisbn10, 9},
};

TEST(CheckDigits, AnyOtherLengthGivesAnEmptyText) {
  for (const auto& rule : LengthRules) {
    for (std::size_t length : {std::size_t{0}, rule.Length - 1, rule.Length + 1, rule.Length + 5}) {
      EXPECT_EQ(rule.Routine(std::string(length, '7')), "") << rule.Name << " length " << length;
    }
    EXPECT_EQ(rule.Routine(std::string(rule.Length, '7')).size(), rule.Length + 1) << rule.Name;
  }
}

// GS1: a complete number is valid when, weighting its digits 1, 3, 1, ...
// from the right (the check digit weighs 1), the sum is a multiple of 10.
bool IsValidGs1(const std::string& number) {
  int sum = 0;
  for (std::size_t i = 0; i < number.size(); ++i) {
    const int weight = (number.size() - 1 - i) % 2 == 0 ? 1 : 3;
    sum += (number[i] - '0') * weight;
  }
  return sum % 10 == 0;
}

// ISBN-10: the ten symbols weighted 10 down to 1 sum to a multiple of 11; "X" is 10.
bool IsValidIsbn10(const std::string& isbn) {
  if (isbn.size() != 10) return false;
  int sum = 0;
  for (int i = 0; i < 10; ++i) sum += (isbn[i] == 'X' ? 10 : isbn[i] - '0') * (10 - i);
  return sum % 11 == 0 && isbn.find('X') >= 9;
}

std::string RandomDigits(std::mt19937& random, std::size_t count) {
  std::uniform_int_distribution<int> digit(0, 9);
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += static_cast<char>('0' + digit(random));
  return text;
}

TEST(CheckDigits, RandomNumbersPassThePublishedRules) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 2000; ++round) {
    for (const auto& rule : LengthRules) {
      const std::string input = RandomDigits(random, rule.Length);
      const std::string result = rule.Routine(input);
      ASSERT_EQ(result.substr(0, rule.Length), input) << rule.Name;
      if (rule.Routine == pglocleisbn10)
        EXPECT_TRUE(IsValidIsbn10(result)) << result;
      else
        EXPECT_TRUE(IsValidGs1(result)) << rule.Name << " " << result;
    }
    const std::string free = RandomDigits(random, 1 + round % 20);
    EXPECT_TRUE(IsValidGs1(pglocleponderee31(free))) << free;
  }
}

TEST(CheckDigits, DigitSumsAndTheNextTen) {
  int even = -1;
  int odd = -1;
  pgloretsommechiffrepair("12345a7", even, odd);
  EXPECT_EQ(even, 2 + 4 + 0);
  EXPECT_EQ(odd, 1 + 3 + 5 + 7);
  EXPECT_EQ(fglodizainesuperieure(0), 0);
  EXPECT_EQ(fglodizainesuperieure(1), 10);
  EXPECT_EQ(fglodizainesuperieure(90), 90);
  EXPECT_EQ(fglodizainesuperieure(91), 100);
}

TEST(CheckDigits, IsbnButtonFillsBothNumbersOnlyForNineDigits) {
  const TIsbnNumbers good = IsbnNumbers("030640615");
  EXPECT_EQ(good.Isbn10, "0306406152");
  EXPECT_EQ(good.Ean13, "9780306406157");
  for (const char* wrong : {"", "03064061", "0306406152", "97803064061", "O30640615", "0306 0615"}) {
    const TIsbnNumbers numbers = IsbnNumbers(wrong);
    EXPECT_EQ(numbers.Isbn10, "") << wrong;
    EXPECT_EQ(numbers.Ean13, "") << wrong;
  }
}

}  // namespace
