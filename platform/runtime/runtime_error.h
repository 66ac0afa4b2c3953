// Errors that the forms runtime knows by number.
//
// A handler that does not trap an error lets it reach the runtime's safety
// net, which shows the number and the description and ends the program. Plain
// C++ code raises these as exceptions; the window's event dispatch catches them.
#pragma once

#include <stdexcept>
#include <string>

namespace brisendale {

class RuntimeError : public std::runtime_error {
  public:
    RuntimeError(int number, const std::string& description)
        : std::runtime_error(description), number_(number) {}

    int Number() const { return number_; }

    // The numbers the forms runtime uses for these situations.
    static constexpr int kOverflow = 6;
    static constexpr int kSubscriptOutOfRange = 9;
    static constexpr int kTypeMismatch = 13;

  private:
    int number_;
};

}  // namespace brisendale
