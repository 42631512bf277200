// What the sources of the control classes share; for platform/ui only.
#pragma once

#include <QColor>
#include <QFont>

#include <vector>

#include "platform/ui/controls.h"

namespace platform {

inline QColor ToQColor(Color color) { return QColor(color.red, color.green, color.blue); }

// A new widget of a control, made on the user-interface thread only.
template <class W>
W* NewWidget() {
  RequireUIThread();
  return new W;
}

// The font that "System" stands for, and its size in pixels.
inline constexpr int kSystemFontPixelSize = 12;
QFont SystemFont();

// The entries of TextFont, Bold, Italic, Underline and TextUnit, for each class that shows text.
std::vector<PropertyEntry> FontProperties();

template <class... Lists>
std::vector<PropertyEntry> Joined(std::vector<PropertyEntry> first, const Lists&... rest) {
  (first.insert(first.end(), rest.begin(), rest.end()), ...);
  return first;
}

}  // namespace platform
