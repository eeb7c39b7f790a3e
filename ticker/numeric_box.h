#pragma once
// The warning-price boxes take numbers only: a filter on typed characters, and a tidy-up when
// the box loses the focus (12.50 becomes 12.5, .5 becomes 0.5, 0 becomes empty).

#include <optional>
#include <string>

namespace ticker {

bool numericBoxAccepts(unsigned int typedChar);

// The text the box should show after losing the focus, or nothing when it stays as it is.
std::optional<std::string> numericBoxTextOnFocusLoss(const std::string& gbk);

}  // namespace ticker
