#include "xml/storage/WidestringList.h"

#include "platform/rtl/Exception.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/Strings.h"

namespace {

constexpr char16_t kCarriageReturn = u'\r';
constexpr char16_t kLineFeed = u'\n';
constexpr std::int64_t kEndOfText = -1;
constexpr std::int64_t kEndAfterBreak = -2;

bool IsLineBreak(char16_t c) { return c == kCarriageReturn || c == kLineFeed; }

}  // namespace

template <class Change>
void TsdWidestringList::Update(Change&& change) {
  BeginUpdate();
  try {
    change();
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TsdWidestringList::BeginUpdate() {
  if (UpdateCount++ == 0 && OnChanging) OnChanging(this);
}

void TsdWidestringList::EndUpdate() {
  if (--UpdateCount == 0 && OnChange) OnChange(this);
}

void TsdWidestringList::Assign(const TPersistent* source) {
  if (source == this) return;
  if (const auto* wide = dynamic_cast<const TsdWidestringList*>(source)) {
    Update([&] {
      Clear();
      for (const std::u16string& item : wide->Items) Add(item);
    });
  } else if (const auto* narrow = dynamic_cast<const TStringList*>(source)) {
    Update([&] {
      Clear();
      for (int i = 0; i < narrow->GetCount(); ++i) Add(rtl::Cp1252ToUtf16(narrow->GetStrings(i)));
    });
  } else {
    TPersistent::Assign(source);
  }
}

int TsdWidestringList::Add(const std::u16string& text) {
  Update([&] { Items.push_back(text); });
  return GetCount() - 1;
}

void TsdWidestringList::AddStrings(const TsdWidestringList& list) {
  const int count = list.GetCount();  // the list may be this one
  for (int i = 0; i < count; ++i) Add(std::u16string(list.Items[static_cast<std::size_t>(i)]));
}

void TsdWidestringList::Clear() { Items.clear(); }

const std::u16string& TsdWidestringList::GetStrings(int index) const {
  if (index < 0 || index >= GetCount()) throw EListError("List index out of bounds");
  return Items[static_cast<std::size_t>(index)];
}

std::u16string TsdWidestringList::GetText() const {
  std::u16string text;
  for (std::size_t i = 0; i < Items.size(); ++i) {
    if (i > 0) text += u"\r\n";
    text += Items[i];
  }
  return text;
}

void TsdWidestringList::SetText(std::u16string_view text) {
  Update([&] {
    Clear();
    std::int64_t position = 1;
    for (;;) {
      const std::int64_t start = position;
      const std::int64_t count = xml::WideScanLine(text, position);
      if (count == kEndOfText) break;
      if (count >= 0) Add(xml::WideCopy(text, start, count));
    }
  });
}

namespace xml {

std::u16string WideCopy(std::u16string_view text, std::int64_t start, std::int64_t count) {
  const auto length = static_cast<std::int64_t>(text.size());
  if (start < 1 || start > length || count <= 0) return {};
  return std::u16string(text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count)));
}

std::int64_t WideScanLine(std::u16string_view text, std::int64_t& position) {
  const auto length = static_cast<std::int64_t>(text.size());
  if (position < 1 || position > length + 1) return kEndOfText;
  if (position == length + 1) {
    if (length == 0 || !IsLineBreak(text.back())) return kEndOfText;
    ++position;  // the empty line after the break is reported once
    return kEndAfterBreak;
  }
  const auto at = [&](std::int64_t p) { return text[static_cast<std::size_t>(p - 1)]; };
  const std::int64_t start = position;
  while (position <= length && !IsLineBreak(at(position))) ++position;
  const std::int64_t count = position - start;
  if (position <= length && at(position) == kCarriageReturn) ++position;
  if (position <= length && at(position) == kLineFeed) ++position;
  return count;
}

}  // namespace xml
