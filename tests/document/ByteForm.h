#pragma once
// A reader and a writer of the shape byte form made here from its layout
// table (32-bit little-endian counts and sizes, names, data, XML), so tests
// can take a byte form apart and build crafted ones.

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace doctest {

struct TParsedForm {
  std::vector<std::pair<std::string, std::string>> Resources;
  std::string Xml;
};

inline std::uint32_t ReadFormU32(const std::string& bytes, std::size_t& at) {
  if (at + 4 > bytes.size()) throw std::runtime_error("short");
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bytes[at + std::size_t(i)]);
  at += 4;
  return v;
}

inline std::string ReadFormPart(const std::string& bytes, std::size_t& at) {
  const std::uint32_t size = ReadFormU32(bytes, at);
  if (at + size > bytes.size()) throw std::runtime_error("short");
  std::string part = bytes.substr(at, size);
  at += size;
  return part;
}

inline TParsedForm ParseForm(const std::string& bytes) {
  TParsedForm form;
  std::size_t at = 0;
  const std::uint32_t count = ReadFormU32(bytes, at);
  for (std::uint32_t i = 0; i < count; ++i) {
    std::string name = ReadFormPart(bytes, at);
    form.Resources.emplace_back(std::move(name), ReadFormPart(bytes, at));
  }
  form.Xml = ReadFormPart(bytes, at);
  EXPECT_EQ(at, bytes.size());
  return form;
}

inline void PutFormU32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>(v >> (8 * i) & 0xFF);
}

inline std::string BuildForm(const TParsedForm& form) {
  std::string out;
  PutFormU32(out, static_cast<std::uint32_t>(form.Resources.size()));
  for (const auto& [name, data] : form.Resources) {
    PutFormU32(out, static_cast<std::uint32_t>(name.size()));
    out += name;
    PutFormU32(out, static_cast<std::uint32_t>(data.size()));
    out += data;
  }
  PutFormU32(out, static_cast<std::uint32_t>(form.Xml.size()));
  return out + form.Xml;
}

}  // namespace doctest
