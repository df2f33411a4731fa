#pragma once

#include <dlfcn.h>

// Libraries the program opens at their first use (libcurl, libcrypto) hand
// their functions over by name.

// Looks a function up in an opened library; false when it lacks it.
template <typename Function>
bool ResolveFunction(void* library, const char* name, Function& target) {
    target = reinterpret_cast<Function>(::dlsym(library, name));
    return target != nullptr;
}
