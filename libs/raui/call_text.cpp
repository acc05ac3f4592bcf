#include "libs/raui/call_text.h"

#include <cstdio>
#include <utility>

namespace raui {
namespace {

CallObserver& Observer() {
  static CallObserver observer;
  return observer;
}

}  // namespace

CallText::CallText(const char* name) : line_(name) {}

CallText& CallText::Number(long long value) {
  line_ += ' ';
  line_ += std::to_string(value);
  return *this;
}

CallText& CallText::Hex(DWORD value) {
  char text[16];
  std::snprintf(text, sizeof text, " 0x%x", static_cast<unsigned>(value));
  line_ += text;
  return *this;
}

CallText& CallText::Text(LPCSTR text) {
  line_ += text != nullptr ? std::string(" \"") + text + '"' : std::string(" null");
  return *this;
}

CallText& CallText::Window(const ClipWindowRecord* record) {
  if (record == nullptr) {
    line_ += " null";
    return *this;
  }
  return Number(record->window != nullptr ? GetDlgCtrlID(record->window) : 0);
}

CallText& CallText::Setup(const ClipClientSetup* setup) {
  if (setup == nullptr) {
    line_ += " null";
    return *this;
  }
  Number(setup->size);
  for (LPCSTR text :
       {setup->clientId, setup->productName, setup->productKind, setup->productVersion,
        setup->libraryVersion, setup->notice, setup->webAddress}) {
    Text(text);
  }
  return Window(setup->window);
}

void ObserveCalls(CallObserver observer) {
  Observer() = std::move(observer);
}

void ReportCall(const CallText& call) {
  if (Observer()) Observer()(call.Line());
}

}  // namespace raui
