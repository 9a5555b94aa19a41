#pragma once

#include <windows.h>

// Presses and releases one key as real input (SendInput): it goes to the
// window that has the keyboard focus, as a user's key press does.
inline void typeKey(WORD virtualKey)
{
    INPUT key[2]{};
    key[0].type = key[1].type = INPUT_KEYBOARD;
    key[0].ki.wVk = key[1].ki.wVk = virtualKey;
    key[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, key, sizeof key[0]);
}
