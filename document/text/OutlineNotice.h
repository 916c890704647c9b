#pragma once
// What is told about outlines that are not drawn, worded in the program's
// language when it gives a wording.

#include <cstdint>
#include <functional>
#include <string>

// A text longer than one text draws (its length, MaxOutlinedCharacters), a
// text cut where the label's budget ran out (its length, the characters
// drawn), a stored glyph of too many points left out (its points,
// MaxGlyphPoints).
enum class TOutlineNotice { TextTooLong, LabelBudgetSpent, GlyphTooLarge };

// The program words a notice in its interface's language; an empty answer
// (or none set) gives the engine's English. Set from the main thread.
using TOutlineWording = std::function<std::string(TOutlineNotice notice, std::int64_t first, std::int64_t second)>;
void SetOutlineWording(TOutlineWording wording);
std::string OutlineNoticeText(TOutlineNotice notice, std::int64_t first, std::int64_t second);
