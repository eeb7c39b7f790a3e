#include "ticker/numeric_box.h"

#include <cmath>

#include "quote/number_text.h"

namespace ticker {

bool numericBoxAccepts(unsigned int typedChar) {
    // Control characters (Backspace, Ctrl+V, ...) always pass, or the box could not be edited at all.
    if (typedChar < 32) return true;
    return (typedChar >= '0' && typedChar <= '9') || typedChar == '-' || typedChar == '.';
}

std::optional<std::string> numericBoxTextOnFocusLoss(const std::string& gbk) {
    const double value = quote::readDecimal(gbk);
    // A number beyond the range of a double has no printed form that reads back; keep what was typed.
    if (!std::isfinite(value)) return std::nullopt;
    std::string tidy = quote::formatG13(value);
    if (tidy == "0") tidy.clear();
    if (tidy == gbk) return std::nullopt;
    return tidy;
}

}  // namespace ticker
