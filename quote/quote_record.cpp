#include "quote/quote_record.h"

#include <algorithm>

#include "quote/number_text.h"

namespace quote {
namespace {

constexpr size_t kReferenceField = 2;  // zero-based: field 3
constexpr size_t kPriceField = 3;      // zero-based: field 4

size_t characterLength(std::string_view text, size_t at) {
    const bool doubleByte = static_cast<unsigned char>(text[at]) >= 0x80 && at + 1 < text.size();
    return doubleByte ? 2 : 1;
}

// Where `needle` (ASCII) first starts on a character boundary, or npos. The second byte of a
// double-byte character may be any byte, so a plain find could match inside a character.
size_t findCharacters(std::string_view text, std::string_view needle) {
    for (size_t at = 0; at < text.size(); at += characterLength(text, at)) {
        if (text[at] == needle[0] && text.compare(at, needle.size(), needle) == 0) return at;
    }
    return std::string_view::npos;
}

// What follows the record's opening quote; a reply with no quote at all is read from its start.
std::string_view afterOpeningQuote(std::string_view replyText) {
    const size_t quote = findCharacters(replyText, "\"");
    return quote == std::string_view::npos ? replyText : replyText.substr(quote + 1);
}

}  // namespace

std::string_view replyTextOf(std::string_view body) {
    return body.substr(0, body.find('\0'));
}

// One pass: the record is split while its end is looked for, and its fields are kept only once
// the end is found. Runs of plain characters are skipped in a tight loop: a field is mostly digits.
std::vector<std::string> extractQuoteFields(std::string_view replyText) {
    const std::string_view rest = afterOpeningQuote(replyText);
    std::vector<std::string> fields;
    // One allocation for the list instead of one per doubling: a record has some 33 fields. Commas
    // past the record, or inside double-byte characters, only make it reserve a little more.
    fields.reserve(static_cast<size_t>(std::count(rest.begin(), rest.end(), ',')) + 1);
    const char* const end = rest.data() + rest.size();
    const char* fieldStart = rest.data();
    for (const char* at = rest.data(); at < end;) {
        const auto byte = static_cast<unsigned char>(*at);
        if (byte >= 0x80) {
            at += at + 1 < end ? 2 : 1;
        } else if (byte == ',') {
            fields.emplace_back(fieldStart, at - fieldStart);
            fieldStart = ++at;
        } else if (byte == '"' && at + 1 < end && at[1] == ';') {
            if (fieldStart < at) fields.emplace_back(fieldStart, at - fieldStart);
            return fields;
        } else {
            ++at;
        }
    }
    return {};  // the record never ends: no fields
}

std::optional<DisplayValues> deriveDisplayValues(const std::vector<std::string>& fields) {
    if (fields.size() <= kPriceField) return std::nullopt;
    DisplayValues values;
    values.priceText = fields[kPriceField];
    values.price = textToReal(values.priceText);
    // A price of 0 means no trade yet; showing it would read as a fall of 100% and sound the alarm.
    if (!approxGT(values.price, 0)) return std::nullopt;
    values.reference = textToReal(fields[kReferenceField]);
    const double change = values.price - values.reference;
    const double percent = change / values.reference * 100;
    values.changeText = realToFixedText(change, 2);
    values.percentText = realToFixedText(percent, 2) + "%";
    values.priceColour = approxGE(values.price, values.reference) ? kRed : kGreen;
    values.changeColour = approxGT(values.price, values.reference) ? kRed : kGreen;
    values.percentColour = approxGT(percent, 0) ? kRed : kGreen;
    return values;
}

}  // namespace quote
