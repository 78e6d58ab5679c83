#include "tests/progress_capture.h"

#include "core/platform.h"
#include "platform/posix/progress_observer.h"
#include "platform/posix/text_utf8.h"

namespace {
std::vector<std::string> Lines;
void Collect(const char* text) { Lines.push_back(Cp932ToUtf8(text)); }
}  // namespace

ProgressCapture::ProgressCapture() {
  Lines.clear();
  SetProgressObserver(Collect);
  OpenProgressWindow(nullptr);
}

ProgressCapture::~ProgressCapture() {
  CloseProgressWindow();
  SetProgressObserver(nullptr);
}

const std::vector<std::string>& ProgressCapture::lines() const { return Lines; }

int ProgressCapture::Count(const std::string& text) const {
  int count = 0;
  for (const std::string& line : Lines) count += line.find(text) != std::string::npos;
  return count;
}

void ProgressCapture::Clear() { Lines.clear(); }
