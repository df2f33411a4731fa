#pragma once

#include <string>
#include <string_view>

// A path as a URL parameter: UTF-8 with every byte but A-Z, a-z, 0-9 and
// ! ' ( ) * - . / : _ ~ written as "%" and two lower-case hexadecimal digits.
// Empty when the result would reach 8,192 bytes.
std::wstring EscapeUrlPath(std::wstring_view path);
inline constexpr std::size_t kMaxEscapedUrlPath = 8192;
