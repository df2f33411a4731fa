#pragma once

#include <cstddef>
#include <string>

// Gives a string room for `size` bytes before anything is written to it. For
// buffers of several megabytes (an image and its encodings) the memory is
// asked for in huge pages: on virtual machines every 4 KiB page fault costs
// several microseconds, and faulting in a fresh 14 MB buffer page by page
// takes longer than encoding it. Smaller sizes just reserve.
void ReserveLargeBuffer(std::string& buffer, std::size_t size);
