// Text functions and dates. Text is UTF-8 bytes: Len and Left count characters, ReplaceAllB
// works on bytes, ReplaceAll on characters.
#pragma once

#include <chrono>
#include <concepts>
#include <cstdint>
#include <functional>
#include <string_view>

#include "platform/runtime/object.h"

namespace platform {

String StrInteger(std::int64_t value);
String StrInteger(std::int64_t value, std::string_view pattern);

// Decimal text of a whole number.
String Str(std::integral auto value) { return StrInteger(static_cast<std::int64_t>(value)); }
// Decimal text padded with zeros to as many digits as the pattern has zeros ("00": two digits).
String Str(std::integral auto value, std::string_view pattern) {
  return StrInteger(static_cast<std::int64_t>(value), pattern);
}
// A whole number is written as plain digits (exact up to 2^53); any other value in its
// shortest exact form.
String Str(double value);

// The number at the start of the text (blanks skipped); 0 when there is none.
double Val(std::string_view text);

std::int64_t Len(std::string_view text);
String Left(std::string_view text, std::int64_t count);

String ReplaceAll(String text, std::string_view searched, std::string_view replacement);
String ReplaceAllB(String text, std::string_view searched, std::string_view replacement);

// The character of that code point, as UTF-8.
String ChrMultiByte(std::uint32_t code);
inline String Chr(std::uint32_t code) { return code < 0x80 ? String(1, static_cast<char>(code)) : ChrMultiByte(code); }

// 0 when the two texts are equal, byte for byte (Linux paths are case-sensitive);
// else negative or positive as the first differs.
int RuntimeStringCompare(std::string_view a, std::string_view b);

class TextEncoding : public Object {
 public:
  explicit TextEncoding(int code) : code_(code) {}
  int Code() const noexcept { return code_; }

 private:
  int code_;
};

// The length of the longest start of the text that is valid UTF-8 (no overlong form, no
// surrogate, nothing above U+10FFFF): the whole length for a valid text.
std::size_t ValidUtf8Prefix(std::string_view text) noexcept;
// The length of the valid UTF-8 character at the start of the text, or 0 when there is none.
std::size_t Utf8CharacterLength(std::string_view text) noexcept;
// True when the text is valid UTF-8 and holds no NUL: text that text tools read as it is.
bool IsUtf8WithoutNul(std::string_view text) noexcept;

// A name as UTF-8 text: a file, folder, table or column name, a path, or what the system says
// of one. Linux names are bytes, and archives made on older systems hold names in their
// 8-bit encodings: each byte that is no part of a UTF-8 character is read as Windows-1252,
// so that "donn\xE9es" reads "données" and "c\x9Cur" "cœur" (its five unassigned bytes read
// as the controls of those codes, as in Latin-1). A NUL becomes a blank; everything else, TAB,
// CR and LF included, stays as it is. A valid name without NUL is appended as it stands, after
// one quick look.
void AppendNameAsUtf8(String& out, std::string_view name);
String NameAsUtf8(std::string_view name);

// The number of UTF-8 among the platform's text encodings, the only one the system asks for.
inline constexpr int kUTF8Encoding = 44;
Ref<TextEncoding> EncodingsGetter(int code);
// The text in the given encoding. For UTF-8 a valid text is returned unchanged and each
// invalid byte becomes U+FFFD.
String ConvertEncoding(const String& text, const Ref<TextEncoding>& encoding);

// ---- Failures ----------------------------------------------------------------------------

// Why an operation of the system failed, in a few French words, from the OS error number.
String ReasonOfError(int errorNumber);
// Why the exception being handled was raised, for the user: a platform error's own message,
// another C++ error's text, "erreur inconnue" for anything else. Every place that tells the
// user of an error takes its reason from here. Only inside a catch block.
String ReasonOfCurrentException();

// ---- Dates --------------------------------------------------------------------------------

struct CivilTime {
  int year, month, day, hour, minute, second;
};

// The date and time at which the object was made, in local time.
class Date : public Object {
 public:
  Date();

  // In French whatever the user's locale, as the whole application speaks.
  String LongDate() const;  // the long date, e.g. "jeudi 10 décembre 2026"
  String LongTime() const;  // the time with seconds, e.g. "07:27:37"
  String SQLDate() const;   // YYYY-MM-DD
  int Hour() const noexcept { return moment_.hour; }
  int Minute() const noexcept { return moment_.minute; }
  int Second() const noexcept { return moment_.second; }

 private:
  CivilTime moment_;
};

// Replaces the clock that new Dates read; an empty function restores the system clock.
void SetClockForTesting(std::function<CivilTime()> clock);

// The clock that the platform's waits and throttles read: how long since the event loop last
// ran, since a control was last painted, since a locked database was first tried.
std::chrono::steady_clock::time_point MonotonicNow();
// Waits that long by that clock, as a locked database is waited for between two tries.
void MonotonicSleep(std::chrono::steady_clock::duration length);
// Replaces that clock, so that tests move time on instead of waiting for it: MonotonicSleep
// then calls `sleep` (when given) and returns at once. An empty `clock` restores the system's
// clock and its sleeps.
void SetMonotonicClockForTesting(std::function<std::chrono::steady_clock::time_point()> clock,
                                 std::function<void(std::chrono::steady_clock::duration)> sleep = nullptr);

}  // namespace platform
