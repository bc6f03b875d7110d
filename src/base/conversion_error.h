#pragma once

#include <stdexcept>
#include <string>

namespace gnss {

// The one exception type of the conversions that refuse their input. The message is the exact
// text the user is shown ("Invalid Data !", ...); the event boundary catches it and shows it.
class ConversionError : public std::runtime_error {
  public:
    explicit ConversionError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace gnss
