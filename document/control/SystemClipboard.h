#pragma once
// The system clipboard lent to the document core: its text as UTF-8, so the
// selection text (and any Greek or other non-Latin names it carries) travels
// through the desktop's clipboard unchanged.

#include <string>

#include "document/core/TextClipboard.h"

class TdocSystemClipboard : public TdocTextClipboard {
public:
  std::string GetText() const override;
  void SetText(const std::string& text) override;
};
