#include "platform/localtime.h"

namespace mivora {

std::tm localTimeOf(std::time_t moment) {
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &moment);
#else
    localtime_r(&moment, &local);
#endif
    return local;
}

} // namespace mivora
