#pragma once

#include <QChar>

// The character codes that key-press handlers receive for the keys without a
// printable character; code 0 means a swallowed key.
namespace KeyCode {
inline constexpr QChar Backspace(8);
inline constexpr QChar Enter(13);
inline constexpr QChar Escape(27);
} // namespace KeyCode
