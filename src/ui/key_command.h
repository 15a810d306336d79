#pragma once

#include <Qt>

namespace ondrix {

// Virtual-key codes of the function keys.
constexpr int kKeyF1 = 112;
constexpr int kKeyF2 = 113;
constexpr int kKeyF3 = 114;
constexpr int kKeyF4 = 115;
constexpr int kKeyF5 = 116;
constexpr int kKeyF6 = 117;
constexpr int kKeyF11 = 122;
constexpr int kKeyF12 = 123;

// Modifier bits: 1 Shift, 2 Ctrl, 4 Alt.
constexpr int kShiftMask = 1;
constexpr int kCtrlMask = 2;
constexpr int kAltMask = 4;

// Key commands run with no modifier or with Ctrl alone.
constexpr bool keyCommandAllowed(int modifiers) {
    return modifiers == (modifiers & kCtrlMask);
}

// Qt key to the platform's virtual-key code (F1 = 112, A = 65, 0 = 48); 0 for
// keys without one that the programs could care about.
int virtualKeyCode(int qtKey);

// Qt modifiers to the Shift/Ctrl/Alt bit set.
int modifierMask(Qt::KeyboardModifiers modifiers);

}  // namespace ondrix
