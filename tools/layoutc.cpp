// layoutc INPUT.layout OUTPUT.bin
// Compiles a window layout from its text form into the binary layout stream
// that the program carries as a resource. The stream is read back before it is
// written out, so a layout the program would reject fails the build instead.

#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "exception.h"
#include "layout_stream.h"
#include "layout_text.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Exception(AnsiString(path + ": cannot open"));
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw Exception(AnsiString(path + ": read error"));
    return text;
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (out) return;
    }
    std::remove(path.c_str());  // no half-written output for the build to pick up
    throw Exception(AnsiString(path + ": cannot write"));
}

void Compile(const std::string& input, const std::string& output) {
    layout::Component root = layout::ParseLayoutText(ReadFile(input), input);
    std::vector<std::uint8_t> bytes = layout::WriteLayout(root);
    // Reading back must give the same tree, which writes to the same bytes.
    layout::Component check = layout::ReadLayout(bytes.data(), bytes.size());
    if (layout::WriteLayout(check) != bytes)
        throw Exception(AnsiString(input + ": the stream does not read back as written"));
    WriteFile(output, bytes);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: layoutc INPUT.layout OUTPUT.bin\n";
        return 1;
    }
    try {
        Compile(argv[1], argv[2]);
        return 0;
    } catch (const Exception& e) {
        std::cerr << "layoutc: " << e.Message.c_str() << "\n";
    } catch (const std::exception& e) {
        std::cerr << "layoutc: " << argv[1] << ": " << e.what() << "\n";
    }
    return 1;
}
