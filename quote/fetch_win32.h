#pragma once
// One quote request to the quote service over the system's internet client.

#include <string>

namespace quote {

// Sends one GET for the stock code (GBK bytes, sent as typed, cut at the first "#") and returns
// the reply text: the body up to its first NUL. Empty when the service cannot be reached or does
// not answer in time. Blocks the caller for at most about 2.5 seconds.
std::string fetchQuoteText(const std::string& code);

}  // namespace quote
