#pragma once

#include <ctime>

namespace mivora {

// The local calendar time of a moment, safe from several threads at once.
std::tm localTimeOf(std::time_t moment);

} // namespace mivora
