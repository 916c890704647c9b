#include "document/control/SystemClipboard.h"

#include "platform/qt/Clipboard.h"
#include "platform/rtl/Strings.h"

std::string TdocSystemClipboard::GetText() const { return rtl::Utf16ToUtf8(GetClipboardText()); }

void TdocSystemClipboard::SetText(const std::string& text) { SetClipboardText(rtl::Utf8ToUtf16(text)); }
