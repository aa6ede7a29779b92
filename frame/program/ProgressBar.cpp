#include "frame/program/ProgressBar.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

#include "frame/program/Terminal.h"

namespace kv::program {

void ProgressBar::Show(int32_t percent) {
    percent = std::clamp(percent, 0, 100);
    if (percent == shown_)
        return;
    shown_ = percent;
    if (live_)
        std::cout << "\r" << Line() << std::flush;
}

void ProgressBar::Finish(const std::string& tail) {
    if (live_)
        std::cout << "\r";
    std::cout << Line() << "  " << tail << "\n";
}

std::string ProgressBar::Line() const {
    constexpr int kWidth = 40;
    const int filled = std::max(shown_, 0) * kWidth / 100;
    char percent[16];
    std::snprintf(percent, sizeof percent, "%3d %%", std::max(shown_, 0));
    return Pad(title_, kColumn) + "[" + std::string(filled, '#') +
           std::string(kWidth - filled, '.') + "] " + percent;
}

}  // namespace kv::program
