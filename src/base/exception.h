// The one error type of the program: a message text for the user. The entry and the
// application object catch it and show its message in the exception box. Portable, so
// the command line, the engine and the settings logic can raise it too.
#pragma once

#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};
