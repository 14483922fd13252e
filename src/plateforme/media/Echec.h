#pragma once

#include <stdexcept>

namespace Media {

// A failure of the media layer; its text is the library's own words, for the log only.
class Echec : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace Media
