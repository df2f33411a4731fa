#pragma once

// libcurl is opened on the first transfer, not when the program starts: with
// the TLS, SSH and LDAP stacks it brings along it would cost the resident
// window several MiB that a user who only captures and reads offline never
// needs. The curl_* functions the program calls are defined in this library
// and forward to the opened libcurl, so every caller uses libcurl's API as it
// stands; the first of them opens the library and does its process-wide
// set-up once. There is no cleanup: the process's end is the only safe moment,
// and a transfer may still run on another thread then.

// Opens libcurl and sets it up when that has not happened yet; false when the
// library cannot be opened, and then every transfer fails as libcurl's own
// initialisation failure would.
bool EnsureCurlGlobalInit();
