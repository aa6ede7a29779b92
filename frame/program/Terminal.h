#pragma once
// The program's lines on the terminal: the column of their titles, padding counted in
// characters, and its messages.

#include <cstddef>
#include <string>

namespace kv::program {

// Width of the first column of the program's own lines.
constexpr size_t kColumn = 20;

// Columns are counted in characters, not bytes.
size_t Width(const std::string& text);

// The text filled with spaces to the width; a text as wide or wider gets one space.
std::string Pad(const std::string& text, size_t width);

// Whether the file descriptor is a terminal.
bool IsTerminal(int fd);

// A message of the program on the standard error, after the program's name.
void Fail(const std::string& message);

}  // namespace kv::program
