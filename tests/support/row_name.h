// Names a parameterised test after its row's `name`, in the native and in
// the end-to-end tables alike.
#pragma once

#include <string>

namespace sondalink::testing {

inline constexpr auto kRowName = [](const auto& info) { return std::string(info.param.name); };

}  // namespace sondalink::testing
