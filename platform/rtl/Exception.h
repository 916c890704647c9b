#pragma once
// Exception classes of the runtime framework. Every failure the program
// reports is one of these, carrying a fixed English message.

#include <exception>
#include <string>

class Exception : public std::exception {
public:
  explicit Exception(std::string message) : Message(std::move(message)) {}
  const char* what() const noexcept override { return Message.c_str(); }
  const std::string& GetMessage() const noexcept { return Message; }

private:
  std::string Message;
};

#define RTL_DECLARE_EXCEPTION(Name, Base) \
  class Name : public Base {              \
  public:                                 \
    using Base::Base;                     \
  }

RTL_DECLARE_EXCEPTION(EConvertError, Exception);
RTL_DECLARE_EXCEPTION(EAssertionFailed, Exception);
RTL_DECLARE_EXCEPTION(EInvalidOperation, Exception);
RTL_DECLARE_EXCEPTION(EInvalidOp, Exception);
RTL_DECLARE_EXCEPTION(EListError, Exception);
RTL_DECLARE_EXCEPTION(EOutOfMemory, Exception);
RTL_DECLARE_EXCEPTION(EInvalidGraphic, Exception);
RTL_DECLARE_EXCEPTION(EStreamError, Exception);
RTL_DECLARE_EXCEPTION(EReadError, EStreamError);
RTL_DECLARE_EXCEPTION(EWriteError, EStreamError);
RTL_DECLARE_EXCEPTION(EFOpenError, EStreamError);
RTL_DECLARE_EXCEPTION(EFCreateError, EStreamError);

namespace rtl {
// Raises EAssertionFailed with the given message when the condition does not hold.
void Assert(bool condition, const char* message);
}  // namespace rtl
