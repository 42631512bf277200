#include "platform/text/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace platform {

namespace {

bool IsContinuationByte(unsigned char byte) { return (byte & 0xC0) == 0x80; }

String ReplaceBytes(String text, std::string_view searched, std::string_view replacement) {
  if (searched.empty()) return text;
  if (searched.size() == 1 && replacement.size() == 1) {  // one byte for another: in place
    const char from = searched[0];
    const char to = replacement[0];
    char* p = text.data();
    char* end = p + text.size();
    while ((p = static_cast<char*>(std::memchr(p, from, end - p))) != nullptr) *p++ = to;
    return text;
  }
  std::size_t at = text.find(searched);
  if (at == String::npos) return text;
  String result;
  result.reserve(text.size());
  std::size_t from = 0;
  for (; at != String::npos; at = text.find(searched, from)) {
    result.append(text, from, at - from).append(replacement);
    from = at + searched.size();
  }
  result.append(text, from, String::npos);
  return result;
}

}  // namespace

String StrInteger(std::int64_t value) {
  char buffer[24];
  auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  return String(buffer, end);
}

String StrInteger(std::int64_t value, std::string_view pattern) {
  String digits = StrInteger(value < 0 ? -value : value);
  const std::size_t width = static_cast<std::size_t>(std::count(pattern.begin(), pattern.end(), '0'));
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return value < 0 ? "-" + digits : digits;
}

String Str(double value) {
  constexpr double kExact = 9007199254740992.0;  // 2^53
  if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) <= kExact)
    return StrInteger(static_cast<std::int64_t>(value));
  char buffer[32];
  auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  return String(buffer, end);
}

double Val(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  if (at < text.size() && text[at] == '+') ++at;
  // Plain digits, as a counter's text is, are read as a whole number at once.
  std::size_t end = at;
  std::uint64_t whole = 0;
  while (end < text.size() && end - at < 15 && text[end] >= '0' && text[end] <= '9')
    whole = whole * 10 + static_cast<std::uint64_t>(text[end++] - '0');
  if (end > at && (end == text.size() || (text[end] != '.' && text[end] != 'e' && text[end] != 'E' &&
                                         (text[end] < '0' || text[end] > '9'))))
    return static_cast<double>(whole);
  double value = 0;
  auto [ptr, ec] = std::from_chars(text.data() + at, text.data() + text.size(), value,
                                   std::chars_format::general);
  return ec == std::errc() ? value : 0.0;
}

std::int64_t Len(std::string_view text) {
  std::int64_t count = 0;
  for (unsigned char byte : text) count += !IsContinuationByte(byte);
  return count;
}

String Left(std::string_view text, std::int64_t count) {
  if (count <= 0) return String();
  std::size_t at = 0;
  for (std::int64_t seen = 0; at < text.size(); ++at) {
    if (!IsContinuationByte(static_cast<unsigned char>(text[at])) && seen++ == count) break;
  }
  return String(text.substr(0, at));
}

// In UTF-8 a character's first byte is never a continuation byte, so a bytewise match of a
// whole character sequence always starts on a character boundary: the characterwise
// replacement and the bytewise one agree.
String ReplaceAll(String text, std::string_view searched, std::string_view replacement) {
  return ReplaceBytes(std::move(text), searched, replacement);
}

String ReplaceAllB(String text, std::string_view searched, std::string_view replacement) {
  return ReplaceBytes(std::move(text), searched, replacement);
}

String ChrMultiByte(std::uint32_t code) {
  String out;
  if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
  return out;
}

int RuntimeStringCompare(std::string_view a, std::string_view b) { return a.compare(b); }

Ref<TextEncoding> EncodingsGetter(int code) { return New<TextEncoding>(code); }

namespace {

// Length of the valid UTF-8 sequence at p, or 0 when the bytes there are not one.
std::size_t ValidSequenceLength(const unsigned char* p, std::size_t available) {
  const unsigned char b = p[0];
  if (b < 0x80) return 1;
  std::size_t length;
  std::uint32_t min;
  if ((b & 0xE0) == 0xC0) length = 2, min = 0x80;
  else if ((b & 0xF0) == 0xE0) length = 3, min = 0x800;
  else if ((b & 0xF8) == 0xF0) length = 4, min = 0x10000;
  else return 0;
  if (available < length) return 0;
  std::uint32_t code = b & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    if (!IsContinuationByte(p[i])) return 0;
    code = (code << 6) | (p[i] & 0x3F);
  }
  if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

std::size_t Utf8CharacterLength(std::string_view text) noexcept {
  if (text.empty()) return 0;
  return ValidSequenceLength(reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

std::size_t ValidUtf8Prefix(std::string_view text) noexcept {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  std::size_t at = 0;
  while (at < size) {
    // Eight ASCII bytes at a time: most values are ASCII through and through.
    if (size - at >= 8) {
      std::uint64_t word;
      std::memcpy(&word, p + at, 8);
      if ((word & 0x8080808080808080ULL) == 0) {
        at += 8;
        continue;
      }
    }
    const std::size_t length = ValidSequenceLength(p + at, size - at);
    if (length == 0) break;
    at += length;
  }
  return at;
}

bool IsUtf8WithoutNul(std::string_view text) noexcept {
  return ValidUtf8Prefix(text) == text.size() && text.find('\0') == std::string_view::npos;
}

namespace {

// Windows-1252's characters for the bytes 0x80 to 0x9F, where Latin-1 has only controls.
constexpr std::uint16_t kWindows1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// True when every byte is ASCII and none is NUL; eight are looked at in one word.
bool AsciiWithoutNul(std::string_view text) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
  const char* p = text.data();
  std::size_t left = text.size();
  for (; left >= 8; p += 8, left -= 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    // A byte of 0 borrows in the subtraction and sets its high bit; so does a byte >= 0x80.
    if (((word | (word - kOnes)) & kHighBits) != 0) return false;
  }
  for (; left > 0; ++p, --left)
    if (*p == '\0' || static_cast<unsigned char>(*p) >= 0x80) return false;
  return true;
}

}  // namespace

void AppendNameAsUtf8(String& out, std::string_view name) {
  if (AsciiWithoutNul(name) || IsUtf8WithoutNul(name)) {
    out.append(name);
    return;
  }
  while (!name.empty()) {
    const auto byte = static_cast<unsigned char>(name[0]);
    std::size_t length = byte < 0x80 ? 1 : Utf8CharacterLength(name);
    if (length == 0) {
      out += ChrMultiByte(byte < 0xA0 ? kWindows1252[byte - 0x80] : byte);
      length = 1;
    } else if (byte == 0) {
      out += ' ';
    } else {
      out.append(name.substr(0, length));
    }
    name.remove_prefix(length);
  }
}

String NameAsUtf8(std::string_view name) {
  String out;
  out.reserve(name.size());
  AppendNameAsUtf8(out, name);
  return out;
}

String ConvertEncoding(const String& text, const Ref<TextEncoding>& encoding) {
  if (encoding->Code() != kUTF8Encoding) return text;
  std::string_view rest = text;
  std::size_t valid = ValidUtf8Prefix(rest);
  if (valid == rest.size()) return text;
  String out;
  out.reserve(text.size() + 8);
  for (;;) {
    out.append(rest.substr(0, valid));
    if (valid == rest.size()) return out;
    out += "\xEF\xBF\xBD";  // one U+FFFD for each byte that is no part of a character
    rest.remove_prefix(valid + 1);
    valid = ValidUtf8Prefix(rest);
  }
}

}  // namespace platform
