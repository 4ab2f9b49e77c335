#pragma once
// Key presses and clicks through the system's real input queue, as a person
// types and clicks them.

#include <windows.h>

#include <initializer_list>
#include <vector>

namespace test_input {

// Presses the keys in order and lets them go in reverse (modifiers first, then the key).
inline void SendKeys(const std::vector<WORD>& keys)
{
    std::vector<INPUT> inputs;
    auto add = [&](WORD key, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    for (WORD key : keys)
        add(key, false);
    for (auto key = keys.end(); key != keys.begin();)
        add(*--key, true);
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}
inline void SendKeys(std::initializer_list<WORD> keys)
{
    SendKeys(std::vector<WORD>(keys));
}

// A left click at a point of the screen, the pointer moved there first.
inline void ClickAt(POINT point)
{
    ::SetCursorPos(point.x, point.y);
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(2, inputs, sizeof(INPUT));
}

// A left click in the middle of a window.
inline void ClickOn(HWND window)
{
    RECT r{};
    ::GetWindowRect(window, &r);
    ClickAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

} // namespace test_input
