#include "InputError.h"

namespace simtool {

std::string InputError::Text() const {
    if (file.empty()) return message;
    if (line <= 0) return file + ": " + message;
    return file + ":" + std::to_string(line) + ": " + message;
}

}  // namespace simtool
