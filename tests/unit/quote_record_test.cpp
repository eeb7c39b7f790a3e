// Cutting, splitting and deriving one quote reply. Byte-level cases use escaped GBK bytes.
#include "quote/quote_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using quote::deriveDisplayValues;
using quote::extractQuoteFields;
using quote::kGreen;
using quote::kRed;
using quote::replyTextOf;
using Fields = std::vector<std::string>;

TEST(ReplyText, IsTheBodyUpToItsFirstNul) {
    using namespace std::string_literals;
    struct Case {
        std::string body;
        std::string expected;
    } cases[] = {
        {"var a=\"x,1,2,3\";\n"s, "var a=\"x,1,2,3\";\n"},
        {"var a=\"x,1,\0\",2,3\";"s, "var a=\"x,1,"},
        {"\0var a=\"x,1,2,3\";"s, ""},
        {""s, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(replyTextOf(c.body), c.expected) << "body of " << c.body.size() << " bytes";
}

TEST(ExtractQuoteFields, CutsTheQuotedRecordAndSplitsItAtCommas) {
    struct Case {
        const char* name;
        const char* reply;
        Fields expected;
    } cases[] = {
        {"service reply",
         "var hq_str_sh600000=\"Name,10.50,10.20,10.35,10.60\";\n",
         {"Name", "10.50", "10.20", "10.35", "10.60"}},
        {"final comma dropped", "x=\"a,b,c,d,\";", {"a", "b", "c", "d"}},
        {"empty piece inside kept", "x=\"a,,c,d\";", {"a", "", "c", "d"}},
        {"leading empty piece kept", "x=\",b,c,d\";", {"", "b", "c", "d"}},
        {"only a comma", "x=\",\";", {""}},
        {"empty record", "var hq_str_sz=\"\";\n", {}},
        {"no closing quote and semicolon", "x=\"a,b,c,d\"\n", {}},
        {"quote closed without semicolon, later one counts", "x=\"a,b\",\"c,d\";", {"a", "b\"", "\"c", "d"}},
        {"no double quote", "a,b,c,d;", {}},
        {"error page", "<html>403 Forbidden</html>", {}},
        {"empty reply", "", {}},
        {"closing pair right after the quote", "x=\"\";a,b,c,d\";", {}},
        {"second record ignored", "a=\"1,2,3,4\";\nb=\"5,6,7,8\";\n", {"1", "2", "3", "4"}},
        // A byte of 0x80 or above takes the next one with it, whatever that byte is.
        {"lead byte hides a double quote", "x\x81\"=\"a,b,c,d\";", {"a", "b", "c", "d"}},
        {"lead byte hides the closing quote", "x=\"a,b\x81\";c,d\";", {"a", "b\x81\";c", "d"}},
        {"lead byte hides a comma", "x=\"\xC6\xD6,b\x81,c,d\";", {"\xC6\xD6", "b\x81,c", "d"}},
        {"lead byte at the very end", "x=\"a,b,c,\x81", {}},
        {"GBK name",
         "var hq_str_sh600000=\"\xC6\xD6\xB7\xA2\xD2\xF8\xD0\xD0,7.80,7.79,7.81\";",
         {"\xC6\xD6\xB7\xA2\xD2\xF8\xD0\xD0", "7.80", "7.79", "7.81"}},
    };
    for (const auto& c : cases) EXPECT_EQ(extractQuoteFields(c.reply), c.expected) << c.name;
}

TEST(DeriveDisplayValues, ComputesTextsAndColoursFromReferenceAndPrice) {
    struct Case {
        const char* reference;
        const char* price;
        const char* changeText;
        const char* percentText;
        quote::Colour priceColour, changeColour, percentColour;
    } cases[] = {
        {"10.20", "10.35", "0.15", "1.47%", kRed, kRed, kRed},
        {"10.00", "10.00", "0.00", "0.00%", kRed, kGreen, kGreen},
        {"10.00", "9.99", "-0.01", "-0.10%", kGreen, kGreen, kGreen},
        {"15.000", "15.420", "0.42", "2.80%", kRed, kRed, kRed},
        // The change is within the tolerance, but the percent, a hundred times larger, is not.
        {"10.00", "10.00000005", "0.00", "0.00%", kRed, kGreen, kRed},
        {"3261.7360", "3287.1230", "25.39", "0.78%", kRed, kRed, kRed},
        {"0", "10.35", "10.35", "--%", kRed, kRed, kRed},
        {"n/a", "10.35", "10.35", "--%", kRed, kRed, kRed},
        {"\xA3\xB1\xA3\xB0", "9.00", "-1.00", "-10.00%", kGreen, kGreen, kGreen},  // full-width １０
    };
    for (const auto& c : cases) {
        const auto values = deriveDisplayValues({"Name", "9.00", c.reference, c.price, "10.60"});
        ASSERT_TRUE(values.has_value()) << c.reference << " -> " << c.price;
        EXPECT_EQ(values->priceText, c.price) << "price text is kept as received";
        EXPECT_EQ(values->changeText, c.changeText) << c.reference << " -> " << c.price;
        EXPECT_EQ(values->percentText, c.percentText) << c.reference << " -> " << c.price;
        EXPECT_EQ(values->priceColour, c.priceColour) << c.reference << " -> " << c.price;
        EXPECT_EQ(values->changeColour, c.changeColour) << c.reference << " -> " << c.price;
        EXPECT_EQ(values->percentColour, c.percentColour) << c.reference << " -> " << c.price;
    }
}

TEST(DeriveDisplayValues, GivesNothingWithoutFourFieldsOrATradedPrice) {
    const Fields cases[] = {
        {},
        {"Name"},
        {"Name", "10.50", "10.20"},
        {"Name", "0.000", "10.20", "0.000", "0.000"},  // before the opening auction
        {"Name", "10.50", "10.20", ""},
        {"Name", "10.50", "10.20", "-1.00"},
        {"Name", "10.50", "10.20", "0.00000005"},
    };
    for (const auto& fields : cases) {
        EXPECT_FALSE(deriveDisplayValues(fields).has_value()) << fields.size() << " fields";
    }
}

TEST(QuoteReply, FromBodyToDisplayValues) {
    const std::string body("var hq_str_sh600000=\"Name,10.50,10.20,10.35,10.60\";\n\0garbage", 60);
    const auto values = deriveDisplayValues(extractQuoteFields(replyTextOf(body)));
    ASSERT_TRUE(values.has_value());
    EXPECT_EQ(values->priceText, "10.35");
    EXPECT_DOUBLE_EQ(values->price, 10.35);
    EXPECT_EQ(values->changeText, "0.15");
    EXPECT_EQ(values->percentText, "1.47%");

    const std::string cutShort("var hq_str_sh600000=\"Name,10.50,\0\"10.20,10.35\";", 47);
    EXPECT_FALSE(deriveDisplayValues(extractQuoteFields(replyTextOf(cutShort))).has_value());
}

}  // namespace
