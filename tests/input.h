#pragma once
// Key presses through the system's real input queue, as a person types them.

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

} // namespace test_input
