// Conversions between the platform's UTF-8 text and Qt's; for the platform's sources only.
#pragma once

#include <QString>

#include "platform/runtime/object.h"

namespace platform {

inline QString ToQString(const String& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline String FromQString(const QString& text) {
  const QByteArray bytes = text.toUtf8();
  return String(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace platform
