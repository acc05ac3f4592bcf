// One Ragui call as a line of text, for whoever watches the calls (the dialog tracer, tests):
// "NAME ARG ARG ...". Numbers are decimal, controls flags hex ("0x700"), texts in double quotes
// exactly as passed ("null" for a null pointer), handles the small numbers the library hands
// out, a window its control id, a setup record its size, texts and window in field order.
// Out-pointers are left out.
#pragma once

#include <functional>
#include <string>

#include "libs/raui/raui.h"

namespace raui {

class CallText {
 public:
  explicit CallText(const char* name);
  CallText& Number(long long value);
  CallText& Hex(DWORD value);
  CallText& Text(LPCSTR text);
  CallText& Window(const ClipWindowRecord* record);
  CallText& Setup(const ClipClientSetup* setup);
  const std::string& Line() const { return line_; }

 private:
  std::string line_;
};

// Called with each call's line as the call is made, on the caller's thread; an empty function
// stops the reports.
using CallObserver = std::function<void(const std::string& line)>;
void ObserveCalls(CallObserver observer);
// Reports a call to the observer, if any.
void ReportCall(const CallText& call);

}  // namespace raui
