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

std::string_view quotedRecord(std::string_view replyText) {
    const size_t quote = findCharacters(replyText, "\"");
    const std::string_view rest = quote == std::string_view::npos ? replyText : replyText.substr(quote + 1);
    const size_t end = findCharacters(rest, "\";");
    return end == std::string_view::npos ? std::string_view() : rest.substr(0, end);
}

}  // namespace

std::string_view replyTextOf(std::string_view body) {
    return body.substr(0, body.find('\0'));
}

std::vector<std::string> extractQuoteFields(std::string_view replyText) {
    const std::string_view record = quotedRecord(replyText);
    std::vector<std::string> fields;
    if (record.empty()) return fields;
    // One allocation for the list instead of one per doubling: a record has some 33 fields. A comma
    // inside a double-byte character is counted too, which only reserves a little more.
    fields.reserve(static_cast<size_t>(std::count(record.begin(), record.end(), ',')) + 1);
    size_t fieldStart = 0;
    for (size_t at = 0; at < record.size(); at += characterLength(record, at)) {
        if (record[at] != ',') continue;
        fields.emplace_back(record.substr(fieldStart, at - fieldStart));
        fieldStart = at + 1;
    }
    if (fieldStart < record.size()) fields.emplace_back(record.substr(fieldStart));
    return fields;
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
