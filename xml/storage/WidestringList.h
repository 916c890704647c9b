#pragma once
// A list of wide (UTF-16) strings, the lines of text and memo shapes, with
// change events around every change made through Add, Assign and Text; and
// the two helpers that cut wide text into lines.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/Persistent.h"

class TsdWidestringList : public TPersistent {
public:
  TsdWidestringList() = default;

  std::string ClassName() const override { return "TsdWidestringList"; }

  // From another TsdWidestringList, or from a TStringList whose strings are
  // converted from Windows-1252; other sources go to the inherited rule.
  void Assign(const TPersistent* source) override;
  // Appends text and returns its index.
  int Add(const std::u16string& text);
  // Adds each string of list in turn.
  void AddStrings(const TsdWidestringList& list);
  // Empties the list without firing the change events.
  void Clear();

  int GetCount() const { return static_cast<int>(Items.size()); }
  // Raises EListError "List index out of bounds".
  const std::u16string& GetStrings(int index) const;
  // The strings joined by CR LF, with no break after the last.
  std::u16string GetText() const;
  // Splits text at CR, LF or CR LF; a final break adds no empty item.
  void SetText(std::u16string_view text);

  // Fired when a change starts (update count 0 to 1) and when it has ended.
  TNotifyEvent OnChanging;
  TNotifyEvent OnChange;

private:
  // Runs change inside one update bracket.
  template <class Change>
  void Update(Change&& change);
  void BeginUpdate();
  void EndUpdate();

  std::vector<std::u16string> Items;
  int UpdateCount = 0;
};

namespace xml {

// The count characters of text from the 1-based start, cut at the end;
// empty when start lies outside 1..length or count is not positive.
std::u16string WideCopy(std::u16string_view text, std::int64_t start, std::int64_t count);

// Counts the characters of text from the 1-based position up to the next CR
// or LF, then moves position past one CR and then one LF. At the end of the
// text answers -2 once when the text ends with a line break (the empty line
// after it), else -1; a position below 1 also answers -1.
std::int64_t WideScanLine(std::u16string_view text, std::int64_t& position);

}  // namespace xml
