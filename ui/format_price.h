#pragma once
// Money as the store shows it.
#include <cstdint>
#include <string>

namespace menu {

// "$19.99" for 1999 cents, "$0.05" for 5; a negative amount keeps its sign in front: "-$1.50".
std::string FormatPrice(int32_t cents);

}  // namespace menu
