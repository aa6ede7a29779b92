#include "frame/program/Terminal.h"

#include <unistd.h>

#include <iostream>

namespace kv::program {

size_t Width(const std::string& text) {
    size_t n = 0;
    for (unsigned char c : text)
        n += (c & 0xC0) != 0x80 ? 1 : 0;
    return n;
}

std::string Pad(const std::string& text, size_t width) {
    const size_t w = Width(text);
    return w >= width ? text + " " : text + std::string(width - w, ' ');
}

bool IsTerminal(int fd) {
    return ::isatty(fd) == 1;
}

void Fail(const std::string& message) {
    std::cerr << "kv6274pa-frame: " << message << "\n";
}

}  // namespace kv::program
