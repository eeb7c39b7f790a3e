#pragma once
// One quote reply, from the bytes the service sent to the three texts and colours the ticker shows.
// Texts are GBK byte strings.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quote/colour.h"

namespace quote {

struct DisplayValues {
    std::string priceText;    // the current price exactly as the service wrote it
    std::string changeText;   // price - reference, two decimals
    std::string percentText;  // change / reference * 100, two decimals and "%"
    double price = 0;
    double reference = 0;
    Colour priceColour = kGreen;
    Colour changeColour = kGreen;
    Colour percentColour = kGreen;
};

// The reply text: the body up to its first NUL byte.
std::string_view replyTextOf(std::string_view body);

// The fields of the quoted record: the text between the first `"` and the first `";` after it,
// split at commas. A byte of 0x80 or above takes the next byte with it, so a match never starts
// inside a double-byte character. An empty piece after a final comma is dropped, and an empty
// record gives no fields.
std::vector<std::string> extractQuoteFields(std::string_view replyText);

// Field 3 is the reference price and field 4 the current price. Nothing to show when there are
// fewer than four fields, or when the price is not above zero (no trade yet today).
std::optional<DisplayValues> deriveDisplayValues(const std::vector<std::string>& fields);

}  // namespace quote
