#pragma once
// The program's own texts as its windows show them (UTF-16), each written
// once for every test program: trailing spaces are part of each text.

#include <string>

#include "wide_text.h"

namespace program_texts {

using wide_text::Utf16;

inline std::wstring Spaces(int count) { return std::wstring(static_cast<size_t>(count), L' '); }

inline std::wstring AccountCaption() { return Utf16(u8"帳號：") + Spaces(2); }
inline std::wstring PasswordCaption() { return Utf16(u8"密碼：") + Spaces(2); }
inline std::wstring BlankStatus() { return Spaces(15); }
inline std::wstring Prompt() { return Utf16(u8"請輸入帳號以及密碼") + Spaces(19); }
inline std::wstring SigningIn(const std::wstring& account) { return account + Utf16(u8"登入中...") + Spaces(5); }
inline std::wstring WaitUpperLine() { return Utf16(u8"開啟系統...") + Spaces(10); }
inline std::wstring WaitLowerLine() { return Utf16(u8"請稍候...") + Spaces(14); }
inline std::wstring Question() { return Utf16(u8"你確定要關閉程式嗎?"); }
inline std::wstring QuestionCaption() { return Utf16(u8"關閉程式"); }

}  // namespace program_texts
