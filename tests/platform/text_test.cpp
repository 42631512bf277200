#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include <QLocale>
#include <QDate>
#include <cmath>
#include <cstdint>
#include <string>

#include "platform/text.h"

using namespace platform;
using namespace std::string_literals;

namespace {

// ---- Encoding -----------------------------------------------------------------------------

const String kReplacement = "\xEF\xBF\xBD";

struct EncodingCase {
  const char* what;
  String in, out;
};

TEST(ConvertEncoding, Utf8KeepsValidTextAndReplacesEachInvalidByte) {
  const EncodingCase cases[] = {
      {"empty", "", ""},
      {"ascii with controls", "a\tb\r\nc", "a\tb\r\nc"},
      {"embedded NUL", "a\0b"s, "a\0b"s},
      {"two-, three-, four-byte characters", "é€😀", "é€😀"},
      {"highest code point", "\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF"},
      {"lone latin-1 byte", "caf\xE9", "caf" + kReplacement},
      {"lone continuation byte", "\x80x", kReplacement + "x"},
      {"0xFF", "\xFF", kReplacement},
      {"overlong NUL", "\xC0\x80", kReplacement + kReplacement},
      {"overlong slash", "\xE0\x80\xAF", kReplacement + kReplacement + kReplacement},
      {"surrogate", "\xED\xA0\x80", kReplacement + kReplacement + kReplacement},
      {"above U+10FFFF", "\xF4\x90\x80\x80", kReplacement + kReplacement + kReplacement + kReplacement},
      {"truncated at end", "a\xE2\x82", "a" + kReplacement + kReplacement},
      {"truncated before ascii", "\xE2\x82z", kReplacement + kReplacement + "z"},
      {"valid after invalid", "\xFF\xC3\xA9", kReplacement + "é"},
  };
  const Ref<TextEncoding> utf8 = EncodingsGetter(44);
  for (const auto& c : cases) EXPECT_EQ(ConvertEncoding(c.in, utf8), c.out) << c.what;
}

TEST(ConvertEncoding, OutputIsAlwaysValidAndIdempotent) {
  String every;
  for (int b = 0; b < 256; ++b) every += static_cast<char>(b);
  every += every;  // each byte also follows every other kind of byte once
  const Ref<TextEncoding> utf8 = EncodingsGetter(44);
  const String once = ConvertEncoding(every, utf8);
  EXPECT_EQ(ConvertEncoding(once, utf8), once);
  EXPECT_EQ(once.substr(0, 128), every.substr(0, 128));
}

// ---- Names --------------------------------------------------------------------------------

TEST(NameAsUtf8, KeepsUtf8AndReadsEveryOtherByteAsWindows1252) {
  const EncodingCase cases[] = {
      {"empty", "", ""},
      {"ascii, longer than a word", "carnet_2024.sqlite", "carnet_2024.sqlite"},
      {"TAB, CR and LF stay", "a\tb\rc\nd", "a\tb\rc\nd"},
      {"valid UTF-8 stays", "données 日本 😀", "données 日本 😀"},
      {"latin-1 name", "donn\xE9" "es.sqlite", "données.sqlite"},
      {"latin-1 high letters", "\xC0\xE7\xFF", "Àçÿ"},
      {"no-break space", "a\xA0" "b", "a\u00A0b"},
      {"windows-1252 letters and signs", "c\x9Cur \x80 l\x92" "ete \x93" "x\x94", "cœur € l’ete “x”"},
      {"unassigned bytes stay their controls", "\x81\x8D\x8F\x90\x9D", "\u0081\u008D\u008F\u0090\u009D"},
      {"utf-8 and latin-1 in one path", "/T\xC3\xA9l\xC3\xA9" "chargements/donn\xE9" "es",
       "/Téléchargements/données"},
      {"sequence cut at the end", "caf\xC3", "cafÃ"},
      {"overlong form", "\xC0\xAF", "À¯"},
      {"surrogate", "\xED\xA0\x80", "í\u00A0€"},
      {"NUL becomes a blank", "a\0b"s, "a b"},
      {"NUL in a long valid name", "abcdefgh\0ijklmnop"s, "abcdefgh ijklmnop"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NameAsUtf8(c.in), c.out) << c.what;
    String line = "\tavant\t";
    AppendNameAsUtf8(line, c.in);
    EXPECT_EQ(line, "\tavant\t" + c.out) << c.what;
  }
}

TEST(NameAsUtf8, AnyBytesGiveValidUtf8WithoutNulAndAreAsOnceConverted) {
  String every;
  for (int b = 0; b < 256; ++b) every += static_cast<char>(b);
  every += every;
  const String once = NameAsUtf8(every);
  EXPECT_EQ(ValidUtf8Prefix(once), once.size());
  EXPECT_EQ(once.find('\0'), String::npos);
  EXPECT_EQ(NameAsUtf8(once), once);
  // Every byte but NUL reads as a character of its own: two names never read alike.
  for (int b = 0x80; b < 0x100; ++b)
    for (int c = b + 1; c < 0x100; ++c)
      ASSERT_NE(NameAsUtf8(String(1, static_cast<char>(b))), NameAsUtf8(String(1, static_cast<char>(c))))
          << b << " " << c;
}

// ---- Numbers ------------------------------------------------------------------------------

TEST(Str, IntegersAndZeroPadding) {
  EXPECT_EQ(Str(0), "0");
  EXPECT_EQ(Str(-42), "-42");
  EXPECT_EQ(Str(INT64_MAX), "9223372036854775807");
  const std::pair<int, const char*> padded[] = {{0, "00"}, {7, "07"}, {12, "12"}, {59, "59"}, {123, "123"}};
  for (const auto& [value, text] : padded) EXPECT_EQ(Str(value, "00"), text) << value;
}

TEST(Str, DoubleWholeNumbersArePlainDigits) {
  const std::pair<double, const char*> cases[] = {
      {0.0, "0"},
      {-0.0, "0"},
      {1.0, "1"},
      {-3.0, "-3"},
      {1e6, "1000000"},
      {1234.0, "1234"},
      {9007199254740991.0, "9007199254740991"},
      {9007199254740992.0, "9007199254740992"},
      {-9007199254740992.0, "-9007199254740992"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(Str(value), text) << value;
}

TEST(Val, ReadsBackWhatStrWrote) {
  const double values[] = {0.0,  1.0,  -1.0,  1e6,   1234.0, 9007199254740992.0, -9007199254740992.0,
                           1.5,  0.1,  -2.25, 1e20,  1e300,  123456789.125};
  for (double v : values) EXPECT_EQ(Val(Str(v)), v) << Str(v);
}

TEST(Val, NoNumberGivesZero) {
  const std::pair<const char*, double> cases[] = {
      {"0", 0.0}, {"", 0.0}, {"abc", 0.0}, {"  42", 42.0}, {"12abc", 12.0}, {"-7", -7.0}, {"+5", 5.0}, {"3.5", 3.5},
      {"12e3", 12000.0}, {"007", 7.0}, {"1234567890123456789", 1234567890123456789.0}, {"9.", 9.0},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(Val(text), value) << '"' << text << '"';
}

// ---- Characters and bytes -----------------------------------------------------------------

TEST(Text, LenAndLeftCountCharacters) {
  const std::pair<const char*, std::int64_t> lengths[] = {{"", 0}, {"abc", 3}, {"é", 1}, {"naïve", 5}, {"日本語", 3}, {"a😀b", 3}};
  for (const auto& [text, n] : lengths) EXPECT_EQ(Len(text), n) << text;

  struct LeftCase {
    const char* text;
    std::int64_t n;
    const char* out;
  };
  const LeftCase lefts[] = {{"héllo", 2, "hé"}, {"héllo", 0, ""},  {"héllo", -1, ""},     {"héllo", 5, "héllo"},
                            {"héllo", 99, "héllo"}, {"日本語", 2, "日本"}, {"😀x", 1, "😀"}, {"", 3, ""}};
  for (const auto& c : lefts) EXPECT_EQ(Left(c.text, c.n), c.out) << c.text << ' ' << c.n;
}

struct ReplaceCase {
  String text, searched, replacement, out;
};

TEST(Text, ReplaceAllReplacesEveryOccurrence) {
  const ReplaceCase cases[] = {
      {"a\tb\tc", "\t", " ", "a b c"},
      {"\r\nx\r\n", "\r\n", " ", " x "},
      {"aaa", "aa", "X", "Xa"},
      {"abc", "", "X", "abc"},
      {"abcabc", "b", "", "acac"},
      {"été", "é", "e", "ete"},
      {"a,b", ",", "—", "a—b"},
      {"no match", "z", "y", "no match"},
      {"a\0b\0"s, "\0"s, " ", "a b "},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReplaceAll(c.text, c.searched, c.replacement), c.out) << c.text;
    EXPECT_EQ(ReplaceAllB(c.text, c.searched, c.replacement), c.out) << c.text;
  }
}

TEST(Text, ReplaceAllBWorksOnBytesInsideCharacters) {
  // The second byte of "é" is replaced alone: ReplaceAllB does not see characters.
  EXPECT_EQ(ReplaceAllB("é", "\xA9", "X"), "\xC3X");
}

TEST(Text, Chr) {
  EXPECT_EQ(Chr(9), "\t");
  EXPECT_EQ(Chr(10), "\n");
  EXPECT_EQ(Chr(13), "\r");
  EXPECT_EQ(Chr(0), "\0"s);
  EXPECT_EQ(Chr(233), "é");
  EXPECT_EQ(Chr(0x20AC), "€");
  EXPECT_EQ(Chr(0x1F600), "😀");
}

TEST(Text, RuntimeStringCompareIsExact) {
  EXPECT_EQ(RuntimeStringCompare("", ""), 0);
  EXPECT_EQ(RuntimeStringCompare("Base.sqlite", "Base.sqlite"), 0);
  EXPECT_NE(RuntimeStringCompare("base.sqlite", "Base.sqlite"), 0);
  EXPECT_NE(RuntimeStringCompare("é", "É"), 0);
  EXPECT_NE(RuntimeStringCompare("a", "a "), 0);
  EXPECT_NE(RuntimeStringCompare("a\0b"s, "a\0c"s), 0);
  EXPECT_LT(RuntimeStringCompare("a", "b"), 0);
  EXPECT_GT(RuntimeStringCompare("b", "a"), 0);
}

// ---- Dates --------------------------------------------------------------------------------

// Pins the locale and the clock for one test and gives both back.
class DateTest : public testing::Test {
 protected:
  void SetUp() override {
    savedLocale_ = QLocale();
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
  }
  void TearDown() override {
    SetClockForTesting({});
    QLocale::setDefault(savedLocale_);
  }
  static void At(CivilTime t) {
    SetClockForTesting([t] { return t; });
  }

 private:
  QLocale savedLocale_;
};

TEST_F(DateTest, FrenchLongDateAndTime) {
  At({2026, 12, 10, 7, 27, 37});
  const Ref<Date> d = New<Date>();
  EXPECT_EQ(d->LongDate(), "jeudi 10 décembre 2026");
  EXPECT_EQ(d->LongTime(), "07:27:37");
  EXPECT_EQ(d->SQLDate(), "2026-12-10");
  EXPECT_EQ(d->Hour(), 7);
  EXPECT_EQ(d->Minute(), 27);
  EXPECT_EQ(d->Second(), 37);
}

TEST_F(DateTest, OtherMoments) {
  struct Case {
    CivilTime t;
    const char *longDate, *longTime, *sqlDate;
  };
  const Case cases[] = {
      {{2026, 3, 5, 0, 0, 0}, "jeudi 5 mars 2026", "00:00:00", "2026-03-05"},
      {{2024, 2, 29, 23, 59, 59}, "jeudi 29 février 2024", "23:59:59", "2024-02-29"},
      {{2027, 1, 1, 19, 5, 9}, "vendredi 1 janvier 2027", "19:05:09", "2027-01-01"},
  };
  for (const auto& c : cases) {
    At(c.t);
    const Ref<Date> d = New<Date>();
    EXPECT_EQ(d->LongDate(), c.longDate);
    EXPECT_EQ(d->LongTime(), c.longTime);
    EXPECT_EQ(d->SQLDate(), c.sqlDate);
    EXPECT_EQ(d->Hour(), c.t.hour);
    EXPECT_EQ(d->Minute(), c.t.minute);
    EXPECT_EQ(d->Second(), c.t.second);
  }
}

// The application speaks French whatever the user's locale: its dates do as well, and the
// time names no zone.
TEST_F(DateTest, FrenchWhateverTheLocale) {
  At({2026, 12, 10, 16, 0, 19});
  for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
                                QLocale(QLocale::English, QLocale::UnitedKingdom), QLocale(QLocale::German, QLocale::Germany)}) {
    QLocale::setDefault(locale);
    const Ref<Date> d = New<Date>();
    EXPECT_EQ(d->LongDate() + " à " + d->LongTime(), "jeudi 10 décembre 2026 à 16:00:19") << locale.name().toStdString();
  }
}

TEST_F(DateTest, WithoutATestClockADateIsNow) {
  SetClockForTesting({});
  const QDate before = QDate::currentDate();
  const String sql = New<Date>()->SQLDate();
  const QDate after = QDate::currentDate();
  EXPECT_TRUE(sql == before.toString(Qt::ISODate).toStdString() || sql == after.toString(Qt::ISODate).toStdString())
      << sql;
}

// The reasons that users meet are told in French; a rare one keeps the system's words.
TEST(ReasonOfError, CommonFailuresInFrench) {
  const std::pair<int, const char*> cases[] = {
      {EACCES, "permission refusée"},          {ENOSPC, "plus de place sur le disque"},
      {EROFS, "système de fichiers en lecture seule"}, {ENOENT, "fichier ou dossier introuvable"},
      {EISDIR, "c'est un dossier"},            {EDQUOT, "quota de disque dépassé"},
      {EIO, "erreur d'entrée-sortie"},
  };
  for (const auto& [error, text] : cases) EXPECT_EQ(ReasonOfError(error), text) << error;
  EXPECT_EQ(ReasonOfError(EXDEV), std::strerror(EXDEV));
}

}  // namespace
