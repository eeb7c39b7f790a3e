// Any body the network delivers, cut to its record and derived into the three texts and colours.
#include <cstdint>
#include <string_view>

#include "quote/number_text.h"
#include "quote/quote_record.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    const std::string_view reply = quote::replyTextOf(body);
    FUZZ_CHECK(reply.find('\0') == std::string_view::npos && reply.data() == body.data());
    const auto fields = quote::extractQuoteFields(reply);
    size_t fieldBytes = 0;
    for (const auto& field : fields) fieldBytes += field.size();
    FUZZ_CHECK(fieldBytes + fields.size() <= reply.size());
    const auto values = quote::deriveDisplayValues(fields);
    if (!values) return 0;
    FUZZ_CHECK(fields.size() >= 4 && values->priceText == fields[3] && values->price > 0);
    FUZZ_CHECK(values->percentText.size() >= 2 && values->percentText.back() == '%');
    for (const quote::Colour colour : {values->priceColour, values->changeColour, values->percentColour}) {
        FUZZ_CHECK(colour == quote::kRed || colour == quote::kGreen);
    }
    return 0;
}
