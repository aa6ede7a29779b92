#pragma once
// The progress of the upload on the terminal: a bar after the title of its line. Live, it is
// drawn again in place at every step; else only its last state is printed, once.

#include <cstdint>
#include <string>

namespace kv::program {

class ProgressBar {
  public:
    ProgressBar(const std::string& title, bool live) : title_(title), live_(live) {}
    void Show(int32_t percent);
    // Ends the line with the bar as it stands and the tail after it.
    void Finish(const std::string& tail);

  private:
    std::string Line() const;

    std::string title_;
    bool live_;
    int32_t shown_ = -1;
};

}  // namespace kv::program
