#include "frame/program/TerminalPrompt.h"

#include <unistd.h>

#include <iostream>

#include "frame/program/Terminal.h"

namespace kv::program {

namespace {

// The text indented by two spaces, each of its lines.
std::string Indented(const std::string& text) {
    std::string out = "  ";
    for (char c : text) {
        out.push_back(c);
        if (c == '\n')
            out += "  ";
    }
    return out;
}

void Print(const std::string& text) {
    std::cout << "\n" << Indented(text) << "\n";
}

}  // namespace

void TerminalPrompt::ShowMessage(const std::string& text) {
    ++shown;
    Print(text);
}

int32_t TerminalPrompt::Ask(const std::string& prompt, int32_t style) {
    ++shown;
    if ((style & 0xF) == mbsOkOnly) {
        Print(prompt);
        return mbaOk;
    }
    std::cout << "\n" << Indented(prompt) << " " << words_.question << " " << std::flush;
    if (answer_ != Answer::Ask || !IsTerminal(STDIN_FILENO)) {
        const bool yes = answer_ == Answer::Yes;
        std::cout << (yes ? words_.answerYes : words_.answerNo)
                  << (answer_ == Answer::Ask ? std::string(" ") + words_.noTerminal : "") << "\n";
        return yes ? mbaYes : mbaNo;
    }
    std::string line;
    if (!std::getline(std::cin, line)) {
        std::cout << "\n";
        return mbaNo;
    }
    // Yes is the default button of the question boxes that go on unless refused.
    const bool noDefault = (style & 0x300) != 0;
    if (line.empty())
        return noDefault ? mbaNo : mbaYes;
    const char c = line[0];
    return (c == 'y' || c == 'Y' || c == 'j' || c == 'J') ? mbaYes : mbaNo;
}

}  // namespace kv::program
