#pragma once
// Building blocks shared by the test programs that run under Wine: real
// input events for SendInput, and the Windows form of a path handed over
// from the Linux side.

#include <windows.h>

#include <string>
#include <vector>

namespace input_events {

// A key going down or up, as the keyboard sends it.
inline INPUT Key(WORD virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

// A key pressed and released with the given modifiers held around it.
inline std::vector<INPUT> Chord(WORD virtualKey, const std::vector<WORD>& modifiers = {}) {
    std::vector<INPUT> inputs;
    for (WORD modifier : modifiers) inputs.push_back(Key(modifier, false));
    inputs.push_back(Key(virtualKey, false));
    inputs.push_back(Key(virtualKey, true));
    for (auto modifier = modifiers.rbegin(); modifier != modifiers.rend(); ++modifier)
        inputs.push_back(Key(*modifier, true));
    return inputs;
}

// Text typed character by character, whatever the keyboard layout.
inline std::vector<INPUT> UnicodeText(const std::wstring& text) {
    std::vector<INPUT> inputs;
    for (wchar_t unit : text) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wScan = unit;
        input.ki.dwFlags = KEYEVENTF_UNICODE;
        inputs.push_back(input);
        input.ki.dwFlags |= KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    return inputs;
}

// Wine hands Unix paths through unchanged; its Z: drive is the root.
inline std::wstring WindowsPath(std::wstring path) {
    if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

}  // namespace input_events
