#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

#include <thread>

#include "platform/text/qt_text.h"
#include "platform/text/text.h"

namespace platform {

namespace {

std::function<CivilTime()>& Clock() {
  static std::function<CivilTime()> clock;
  return clock;
}

CivilTime SystemNow() {
  const QDateTime now = QDateTime::currentDateTime();
  const QDate d = now.date();
  const QTime t = now.time();
  return {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
}

}  // namespace

void SetClockForTesting(std::function<CivilTime()> clock) { Clock() = std::move(clock); }

namespace {
std::function<std::chrono::steady_clock::time_point()>& Monotonic() {
  static std::function<std::chrono::steady_clock::time_point()> clock;
  return clock;
}
std::function<void(std::chrono::steady_clock::duration)>& MonotonicSleeper() {
  static std::function<void(std::chrono::steady_clock::duration)> sleep;
  return sleep;
}
}  // namespace

std::chrono::steady_clock::time_point MonotonicNow() {
  return Monotonic() ? Monotonic()() : std::chrono::steady_clock::now();
}

void MonotonicSleep(std::chrono::steady_clock::duration length) {
  if (!Monotonic())
    std::this_thread::sleep_for(length);
  else if (MonotonicSleeper())
    MonotonicSleeper()(length);
}

void SetMonotonicClockForTesting(std::function<std::chrono::steady_clock::time_point()> clock,
                                 std::function<void(std::chrono::steady_clock::duration)> sleep) {
  Monotonic() = std::move(clock);
  MonotonicSleeper() = Monotonic() ? std::move(sleep) : nullptr;
}

Date::Date() : moment_(Clock() ? Clock()() : SystemNow()) {}

namespace {

// The application speaks French whatever the user's locale: its dates are French ones.
const QLocale& French() {
  static const QLocale french(QLocale::French, QLocale::France);
  return french;
}

}  // namespace

String Date::LongDate() const {
  const QDate date(moment_.year, moment_.month, moment_.day);
  return FromQString(French().toString(date, QLocale::LongFormat));
}

String Date::LongTime() const {
  // The long time format names the time zone as well ("HH:mm:ss t"); the system shows the
  // time alone, with its seconds.
  static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b\\s*"));
  QString format = French().timeFormat(QLocale::LongFormat);
  format.replace(zone, QStringLiteral(" "));
  const QTime time(moment_.hour, moment_.minute, moment_.second);
  return FromQString(French().toString(time, format.trimmed()));
}

String Date::SQLDate() const {
  return StrInteger(moment_.year, "0000") + "-" + StrInteger(moment_.month, "00") + "-" +
         StrInteger(moment_.day, "00");
}

}  // namespace platform
