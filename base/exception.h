#pragma once
// The one failure type of the program and its toolkit. Its message is a
// Big5 byte string (see AnsiString), shown to the user as it stands.

#include <exception>

#include "ansi_string.h"

class Exception : public std::exception {
public:
    explicit Exception(AnsiString message) : Message(std::move(message)) {}
    const char* what() const noexcept override { return Message.c_str(); }

    AnsiString Message;
};

// The exception being handled, as an Exception: itself if it is one, with
// the message of a standard exception, or with an empty message for anything
// else thrown. Call it only inside a catch block.
Exception CurrentException();
