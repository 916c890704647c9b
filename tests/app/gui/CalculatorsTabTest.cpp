// The check-digit calculators driven through their edits and buttons: the
// worked values, values that are not numbers, and random numbers against
// check digits computed here from the published GS1 and ISBN rules.

#include <gtest/gtest.h>

#include <random>
#include <string_view>
#include <utility>
#include <vector>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/UiTexts.h"
#include "app/gui/CalculatorsTab.h"

namespace {

struct CalculatorsTabTest : ::testing::Test {
  CalculatorsTabTest() {
    Tab.EnsureBuilt();
    Tab.ApplyUITexts();
  }

  app::TCalculatorGroup& Group(const char* inputName) {
    for (app::TCalculatorGroup& group : Tab.Groups)
      if (group.Input->objectName() == inputName) return group;
    throw std::runtime_error("no such calculator");
  }
  // Types the input as a user would and presses the button.
  std::string Calculate(const char* inputName, const std::string& input) {
    app::TCalculatorGroup& group = Group(inputName);
    group.Input->clear();
    // One key press per character; QTest's own typing takes ASCII only.
    for (const QChar c : QString::fromStdString(input))
      QTest::sendKeyEvent(QTest::Click, group.Input, Qt::Key_unknown, QString(c), Qt::NoModifier);
    QTest::mouseClick(group.Button, Qt::LeftButton);
    return group.Output->text().toStdString();
  }

  app::TCalculatorsTab Tab;
};

// GS1: weights 3 and 1 alternating from the rightmost digit of the number
// without its check digit; the check digit brings the sum to a multiple of 10.
char Gs1CheckDigit(const std::string& digits) {
  int sum = 0;
  int weight = 3;
  for (auto c = digits.rbegin(); c != digits.rend(); ++c, weight = 4 - weight) sum += (*c - '0') * weight;
  return static_cast<char>('0' + (10 - sum % 10) % 10);
}

// ISBN-10: weights 10 down to 2; the check makes the sum a multiple of 11.
char Isbn10CheckDigit(const std::string& digits) {
  int sum = 0;
  for (int i = 0; i < 9; ++i) sum += (digits[static_cast<std::size_t>(i)] - '0') * (10 - i);
  const int check = (11 - sum % 11) % 11;
  return check == 10 ? 'X' : static_cast<char>('0' + check);
}

TEST_F(CalculatorsTabTest, WorkedValues) {
  EXPECT_EQ(Calculate("evalean13sanscle", "400638133393"), "4006381333931");
  EXPECT_EQ(Calculate("evalean13sanscle", "12345678901"), "");
  EXPECT_EQ(Calculate("evalean8sanscle", "9638507"), "96385074");
  EXPECT_EQ(Calculate("evalupcasanscle", "03600029145"), "036000291452");
  EXPECT_EQ(Calculate("evalssccsanscle", "00614141123456789"), "006141411234567890");
  EXPECT_EQ(Calculate("evalean14sanscle", "1061414100041"), "10614141000415");
  EXPECT_EQ(Calculate("evalisbnsanscle", "030640615"), "0306406152");
  EXPECT_EQ(Tab.evaleureanisbn->text(), "9780306406157");
}

// A value that is not a number gets no check digit in any group, as a
// wrong length does; the result of the number before it does not stay.
TEST_F(CalculatorsTabTest, AValueThatIsNotANumberGivesNoResultInAnyGroup) {
  const std::pair<const char*, const char*> groups[] = {
      {"evalean13sanscle", "400638133393"}, {"evalean8sanscle", "9638507"},
      {"evalupcasanscle", "03600029145"},   {"evalean14sanscle", "1061414100041"},
      {"evalssccsanscle", "00614141123456789"}, {"evalisbnsanscle", "030640615"},
  };
  for (const auto& [input, number] : groups) {
    const std::string digits(number);
    const std::size_t length = digits.size();
    // Each of the same length as the number: a letter O for a zero, a
    // lower-case L for a one, letters only, a space, a sign, an accented
    // letter (one character of two bytes).
    std::vector<std::string> notNumbers = {
        std::string(length, 'A'),
        digits.substr(0, length - 1) + " ",
        "-" + digits.substr(1),
        "\u00e9" + digits.substr(1),
    };
    if (const auto zero = digits.find('0'); zero != std::string::npos)
      notNumbers.push_back(std::string(digits).replace(zero, 1, "O"));
    if (const auto one = digits.find('1'); one != std::string::npos)
      notNumbers.push_back(std::string(digits).replace(one, 1, "l"));
    for (const std::string& typed : notNumbers) {
      ASSERT_FALSE(Calculate(input, digits).empty()) << input;
      EXPECT_EQ(Calculate(input, typed), "") << input << " \"" << typed << '"';
      if (std::string_view(input) == "evalisbnsanscle") {
        EXPECT_EQ(Tab.evaleureanisbn->text(), "") << typed;
      }
    }
  }
  EXPECT_EQ(Calculate("evalean13sanscle", "4OO638133393"), "");
  EXPECT_EQ(Calculate("evalean13sanscle", "ABCDEFGHIJKL"), "");
}

TEST_F(CalculatorsTabTest, AWrongIsbnLengthFillsNeitherOutput) {
  EXPECT_EQ(Calculate("evalisbnsanscle", "03064061"), "");
  EXPECT_EQ(Tab.evaleureanisbn->text(), "");
}

TEST_F(CalculatorsTabTest, RandomNumbersMatchThePublishedRules) {
  std::mt19937 random(20261206);
  const auto digits = [&](int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += static_cast<char>('0' + random() % 10);
    return text;
  };
  const std::pair<const char*, int> gs1[] = {{"evalean13sanscle", 12}, {"evalean8sanscle", 7}, {"evalupcasanscle", 11},
                                              {"evalean14sanscle", 13}, {"evalssccsanscle", 17}};
  for (int round = 0; round < 40; ++round) {
    for (const auto& [input, length] : gs1) {
      const std::string number = digits(length);
      EXPECT_EQ(Calculate(input, number), number + Gs1CheckDigit(number)) << input << " " << number;
    }
    const std::string isbn = digits(9);
    EXPECT_EQ(Calculate("evalisbnsanscle", isbn), isbn + Isbn10CheckDigit(isbn)) << isbn;
    EXPECT_EQ(Tab.evaleureanisbn->text().toStdString(), "978" + isbn + Gs1CheckDigit("978" + isbn)) << isbn;
  }
}

TEST_F(CalculatorsTabTest, LabelsComposeValueResultAndDigits) {
  EXPECT_EQ(Group("evalean13sanscle").ValueLabel->text(), "Valeur (12Chiffres)");
  EXPECT_EQ(Group("evalean13sanscle").ResultLabel->text(), QString::fromUtf8("Résultat (13Chiffres)"));
  EXPECT_EQ(Group("evalisbnsanscle").ValueLabel->text(), "Valeur (9 Chiffres)");
  EXPECT_EQ(Group("evalisbnsanscle").ResultLabel->text(), QString::fromUtf8("ISBN Résultat (10Chiffres)"));
  EXPECT_EQ(Tab.labreseanisbn->text(), QString::fromUtf8("EAN Résultat (13Chiffres)"));
}

// Each label found by its own name carries its own symbology's digit count.
TEST_F(CalculatorsTabTest, EachValueAndResultLabelIsFoundByItsName) {
  const std::pair<const char*, const char*> captions[] = {
      {"labvalean13", "Valeur (12Chiffres)"},         {"labresan13", "Résultat (13Chiffres)"},
      {"labvalean8", "Valeur (7Chiffres)"},           {"labresan8", "Résultat (8Chiffres)"},
      {"labvalupca", "Valeur (11Chiffres)"},          {"labresupca", "Résultat (12Chiffres)"},
      {"labvalean14", "Valeur (13Chiffres)"},         {"labresan14", "Résultat (14Chiffres)"},
      {"labvalsscc", "Valeur (17Chiffres)"},          {"labressscc", "Résultat (18Chiffres)"},
      {"labvalisbn", "Valeur (9 Chiffres)"},          {"labresisbn", "ISBN Résultat (10Chiffres)"},
      {"labreseanisbn", "EAN Résultat (13Chiffres)"},
  };
  for (const auto& [name, caption] : captions) {
    const auto* label = Tab.findChild<QLabel*>(name);
    ASSERT_NE(label, nullptr) << name;
    EXPECT_EQ(label->text(), QString::fromUtf8(caption)) << name;
  }
}

}  // namespace
