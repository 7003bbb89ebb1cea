// Setup failures of the stand-in renderer (a declaration it cannot read, a
// library it cannot load, an unknown parameter name): one line of text that
// names the file, and the line where there is one.
#pragma once

#include <stdexcept>
#include <string>

namespace mrhost {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace mrhost
