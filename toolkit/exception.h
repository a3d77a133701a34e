#pragma once
// The one failure type of the program and its toolkit. Its message is a
// code page 950 byte string, shown to the user as it stands.

#include <exception>

#include "ansi_string.h"

class Exception : public std::exception {
public:
    explicit Exception(AnsiString message) : Message(std::move(message)) {}
    const char* what() const noexcept override { return Message.c_str(); }

    AnsiString Message;
};
