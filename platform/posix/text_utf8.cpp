#include "platform/posix/text_utf8.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace {

EngineTextRendering Rendering = nullptr;

std::string Convert(const char* text, const char* to, const char* from) {
  std::string out;
  if (text == nullptr) return out;
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return text;
  char* in = const_cast<char*>(text);
  size_t in_left = std::strlen(text);
  char buffer[256];
  while (in_left > 0) {
    char* dst = buffer;
    size_t dst_left = sizeof buffer;
    const size_t rc = iconv(cd, &in, &in_left, &dst, &dst_left);
    out.append(buffer, static_cast<size_t>(dst - buffer));
    if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
      out.push_back('?');  // an invalid or incomplete sequence
      ++in;
      --in_left;
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string Cp932ToUtf8(const char* text) { return Convert(text, "UTF-8", "CP932"); }
std::string Utf8ToCp932(const char* text) { return Convert(text, "CP932", "UTF-8"); }

void SetEngineTextRendering(EngineTextRendering rendering) { Rendering = rendering; }

std::string RenderEngineText(const char* cp932) { return Rendering != nullptr ? Rendering(cp932) : Cp932ToUtf8(cp932); }
