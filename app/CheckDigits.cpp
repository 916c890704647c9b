#include "app/CheckDigits.h"

#include <vector>

namespace {

// The value of each character of UTF-8 text, left to right: its digit, or 0
// for anything else. A byte that continues a multi-byte sequence belongs to
// the character before it, so an accented letter is one character.
std::vector<int> DigitValues(std::string_view text) {
  std::vector<int> values;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) == 0x80 && !values.empty()) continue;
    values.push_back(c >= '0' && c <= '9' ? c - '0' : 0);
  }
  return values;
}

std::size_t CharacterCount(std::string_view text) { return DigitValues(text).size(); }

std::string WithCheckDigit(std::string_view text, int digit) {
  std::string result(text);
  result += static_cast<char>('0' + digit);
  return result;
}

// Weights 3, 1, 3, ... from the rightmost character.
int SumWeighted31FromRight(std::string_view text) {
  const std::vector<int> digits = DigitValues(text);
  int sum = 0;
  bool weightThree = true;
  for (auto it = digits.rbegin(); it != digits.rend(); ++it, weightThree = !weightThree)
    sum += *it * (weightThree ? 3 : 1);
  return sum;
}

std::string Weighted31FromRight(std::string_view text, std::size_t length) {
  if (CharacterCount(text) != length) return {};
  return pglocleponderee31(text);
}

// Completes the sum, weighted by the pair sums, to the next multiple of 10.
std::string CompletedToTen(std::string_view text, std::size_t length, int evenWeight, int oddWeight) {
  if (CharacterCount(text) != length) return {};
  int evenSum = 0;
  int oddSum = 0;
  pgloretsommechiffrepair(text, evenSum, oddSum);
  const int sum = evenSum * evenWeight + oddSum * oddWeight;
  return WithCheckDigit(text, fglodizainesuperieure(sum) - sum);
}

}  // namespace

void pgloretsommechiffrepair(std::string_view text, int& evenSum, int& oddSum) {
  evenSum = 0;
  oddSum = 0;
  const std::vector<int> digits = DigitValues(text);
  for (std::size_t i = 0; i < digits.size(); ++i) ((i + 1) % 2 == 0 ? evenSum : oddSum) += digits[i];
}

int fglodizainesuperieure(int n) {
  const int remainder = ((n % 10) + 10) % 10;
  return remainder == 0 ? n : n + 10 - remainder;
}

std::string pglocleean13(std::string_view text) { return CompletedToTen(text, 12, 3, 1); }
std::string pglocleean8(std::string_view text) { return CompletedToTen(text, 7, 1, 3); }
std::string pglocleupca(std::string_view text) { return CompletedToTen(text, 11, 1, 3); }
std::string pglocleean14(std::string_view text) { return Weighted31FromRight(text, 13); }
std::string pglocleesscc(std::string_view text) { return Weighted31FromRight(text, 17); }

std::string pglocleponderee31(std::string_view text) {
  return WithCheckDigit(text, (10 - SumWeighted31FromRight(text) % 10) % 10);
}

std::string pglocleisbn10(std::string_view text) {
  const std::vector<int> digits = DigitValues(text);
  if (digits.size() != 9) return {};
  int sum = 0;
  for (std::size_t i = 0; i < digits.size(); ++i) sum += digits[i] * static_cast<int>(10 - i);
  const int remainder = sum % 11;
  if (remainder == 1) return std::string(text) + 'X';
  return WithCheckDigit(text, remainder == 0 ? 0 : 11 - remainder);
}

TIsbnNumbers IsbnNumbers(std::string_view text) {
  TIsbnNumbers numbers{pglocleisbn10(text), {}};
  if (!numbers.Isbn10.empty()) numbers.Ean13 = pglocleponderee31(std::string("978").append(text));
  return numbers;
}
