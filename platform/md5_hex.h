#pragma once

#include <string>
#include <string_view>

// MD5 (RFC 1321) of the bytes of a text up to its terminating zero, as 32
// lower-case hexadecimal digits.
std::string Md5Hex(std::string_view text);
