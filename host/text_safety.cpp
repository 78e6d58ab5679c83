#include "host/text_safety.h"

#include <cstdint>
#include <cstdio>

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// The characters XML 1.0 allows.
bool IsXmlCharacter(uint32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

// The length of the well-formed UTF-8 character at text[at] and its code
// point; 0 when the bytes there form none.
size_t DecodeUtf8(const std::string& text, size_t at, uint32_t& code) {
  const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[at + k]); };
  const uint8_t first = byte(0);
  size_t length = 0;
  uint32_t least = 0;
  if (first < 0x80) {
    code = first;
    return 1;
  } else if (first >= 0xC2 && first <= 0xDF) {
    length = 2;
    code = first & 0x1Fu;
    least = 0x80;
  } else if (first >= 0xE0 && first <= 0xEF) {
    length = 3;
    code = first & 0x0Fu;
    least = 0x800;
  } else if (first >= 0xF0 && first <= 0xF4) {
    length = 4;
    code = first & 0x07u;
    least = 0x10000;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(k) & 0xC0) != 0x80) return 0;
    code = code << 6 | (byte(k) & 0x3Fu);
  }
  if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

std::string XmlSafeText(const std::string& text) {
  std::string out;
  for (size_t at = 0; at < text.size();) {
    uint32_t code = 0;
    const size_t length = DecodeUtf8(text, at, code);
    if (length == 0) {
      out += kReplacement;
      ++at;
    } else {
      out += IsXmlCharacter(code) ? text.substr(at, length) : kReplacement;
      at += length;
    }
  }
  return out;
}

bool IsPrintableAscii(const std::string& text) {
  for (char c : text) {
    if (c < 0x20 || c > 0x7E) return false;
  }
  return true;
}

std::string ShownText(const std::string& text, size_t most) {
  std::string out;
  size_t shown = 0;
  size_t at = 0;
  for (; at < text.size() && shown < most; ++shown) {
    uint32_t code = 0;
    const size_t length = DecodeUtf8(text, at, code);
    // Control characters (a terminal takes some as commands) and bytes that
    // form no character are written as their codes.
    if (length == 0 || code < 0x20 || (code >= 0x7F && code < 0xA0)) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(text[at]));
      out += escaped;
      ++at;
    } else {
      out += text.substr(at, length);
      at += length;
    }
  }
  if (at < text.size()) out += "...";
  return out;
}

std::string ShownCharacter(const std::string& text, size_t at) {
  if (at >= text.size()) return "";
  uint32_t code = 0;
  const size_t length = DecodeUtf8(text, at, code);
  return ShownText(text.substr(at, length == 0 ? 1 : length), 1);
}
