#pragma once
// The one place that converts between the core's GBK bytes and the UI's UTF-16.
// Code page 936 is named explicitly so the program reads the same on a Windows of any language.

#include <string>
#include <string_view>

namespace ticker {

std::wstring gbkToWide(std::string_view gbk);
std::string wideToGbk(std::wstring_view wide);

}  // namespace ticker
