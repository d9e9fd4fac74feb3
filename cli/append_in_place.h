// Appends what a writer puts at a char pointer straight into a string's own buffer. Hot output
// paths use it for numbers and dates: text written to a local buffer and then copied makes the
// copy wait on the stores just made.
#pragma once
#include <cstddef>
#include <string>

namespace vortab::cli {

// `put(char*)` writes at most `room` chars and returns the end of what it wrote.
template <typename Put>
void AppendInPlace(std::string& out, std::size_t room, Put put) {
    const std::size_t at = out.size();
    out.resize(at + room);
    char* const end = put(out.data() + at);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

}  // namespace vortab::cli
