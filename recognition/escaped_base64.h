#pragma once

#include <cstddef>
#include <string_view>

// Base64 of a byte string already form-escaped ("+" "/" "=" as "%2B" "%2F"
// "%3D"), produced in one pass: the image is by far the largest part of a
// request, and encoding it twice (once to Base64, once escaping that text)
// costs more than the encoding itself. Same result as
// CurlEscape(Base64Encode(bytes)).
std::size_t EscapedBase64Size(std::string_view bytes);
// Writes EscapedBase64Size(bytes) bytes at out; returns the end.
char* EscapedBase64Into(char* out, std::string_view bytes);
