#include "ui/NumberFormat.h"

// The grouping itself belongs to the platform, which knows the user's
// locale: separator and group size both come from there. Nothing is cached,
// so a change of locale shows in the next number drawn.
std::string formatNumber(const Platform& platform, int64_t value) {
    return platform.formatGrouped(value);
}
