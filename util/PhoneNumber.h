// Korean phone numbers grouped with dashes, for display only.
#pragma once

#include <string>
#include <string_view>

// Only the decimal digits of the text, in order, at most 80.
std::string DigitsOnly(std::string_view text);

// The digits of the number grouped with "-" by their count.
std::string FormatPhoneNumber(std::string_view number);
