#include "app/CheckDigits.h"

#include <optional>
#include <vector>

namespace {

// The digits of text, left to right; nothing when it holds anything else.
std::optional<std::vector<int>> DigitValues(std::string_view text) {
  std::vector<int> values;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    values.push_back(c - '0');
  }
  return values;
}

// The digits of a number of exactly length digits; nothing otherwise.
std::optional<std::vector<int>> NumberOfLength(std::string_view text, std::size_t length) {
  std::optional<std::vector<int>> digits = DigitValues(text);
  if (digits && digits->size() != length) digits.reset();
  return digits;
}

std::string WithCheckDigit(std::string_view text, int digit) {
  std::string result(text);
  result += static_cast<char>('0' + digit);
  return result;
}

// Weights 3, 1, 3, ... from the rightmost digit.
int SumWeighted31FromRight(const std::vector<int>& digits) {
  int sum = 0;
  bool weightThree = true;
  for (auto it = digits.rbegin(); it != digits.rend(); ++it, weightThree = !weightThree)
    sum += *it * (weightThree ? 3 : 1);
  return sum;
}

std::string Weighted31FromRight(std::string_view text, std::size_t length) {
  if (!NumberOfLength(text, length)) return {};
  return pglocleponderee31(text);
}

// Completes the sum, weighted by the pair sums, to the next multiple of 10.
std::string CompletedToTen(std::string_view text, std::size_t length, int evenWeight, int oddWeight) {
  if (!NumberOfLength(text, length)) return {};
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
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    ((i + 1) % 2 == 0 ? evenSum : oddSum) += c >= '0' && c <= '9' ? c - '0' : 0;
  }
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
  const std::optional<std::vector<int>> digits = DigitValues(text);
  if (!digits) return {};
  return WithCheckDigit(text, (10 - SumWeighted31FromRight(*digits) % 10) % 10);
}

std::string pglocleisbn10(std::string_view text) {
  const std::optional<std::vector<int>> digits = NumberOfLength(text, 9);
  if (!digits) return {};
  int sum = 0;
  for (std::size_t i = 0; i < digits->size(); ++i) sum += (*digits)[i] * static_cast<int>(10 - i);
  const int remainder = sum % 11;
  if (remainder == 1) return std::string(text) + 'X';
  return WithCheckDigit(text, remainder == 0 ? 0 : 11 - remainder);
}

TIsbnNumbers IsbnNumbers(std::string_view text) {
  TIsbnNumbers numbers{pglocleisbn10(text), {}};
  if (!numbers.Isbn10.empty()) numbers.Ean13 = pglocleponderee31(std::string("978").append(text));
  return numbers;
}
