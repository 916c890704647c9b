#pragma once
// The system clipboard as the document core sees it: plain text in UTF-8.
// The editor control lends one; the core itself knows no windowing system.

#include <string>

class TdocTextClipboard {
public:
  virtual ~TdocTextClipboard() = default;
  // Empty when the clipboard holds no text.
  virtual std::string GetText() const = 0;
  virtual void SetText(const std::string& text) = 0;
};
