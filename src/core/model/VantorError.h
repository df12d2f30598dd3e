#pragma once

#include <stdexcept>
#include <string>

namespace vantor {

// Every failure inside the core is one of these; its text is what the user reads in the error box.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace vantor
