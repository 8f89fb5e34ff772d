#pragma once

#include <Qt>

namespace varnelo {

// Windows virtual-key codes, which every key handler of the program speaks.
namespace vk {
inline constexpr int Back = 8, Tab = 9, Return = 13, Escape = 27, Space = 32;
inline constexpr int PageUp = 33, PageDown = 34, End = 35, Home = 36;
inline constexpr int Left = 37, Up = 38, Right = 39, Down = 40;
inline constexpr int Numpad0 = 96, Numpad9 = 105, Add = 107, Subtract = 109;
inline constexpr int F1 = 112, F4 = 115;
}  // namespace vk

// Modifier mask of a key handler: 1 Shift, 2 Ctrl, 4 Alt.
int shiftMask(Qt::KeyboardModifiers modifiers);
// The virtual-key code of a Qt key: letters and digits are their upper-case character codes,
// keypad digits 96..105 and keypad + and - 107 and 109 (Qt::KeypadModifier tells them apart),
// F1..F24 112..135; 0 for a key the program has no code for.
int virtualKey(int qtKey, Qt::KeyboardModifiers modifiers);

}  // namespace varnelo
