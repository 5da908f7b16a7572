// The one failure type of the host: its message is the single line the user sees.
#pragma once

#include <stdexcept>
#include <string>

namespace mv {

struct HostError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] inline void fail(const std::string& message) { throw HostError(message); }

}  // namespace mv
