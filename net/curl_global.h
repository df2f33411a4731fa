#pragma once

// libcurl's global set-up is process-wide: done once when the process starts
// and undone once at its end, never per client object, since a cleanup on one
// thread while another transfers is undefined. Programs hold one scope in
// main(); clients only rely on it.
class CurlGlobalScope {
public:
    CurlGlobalScope();
    ~CurlGlobalScope();
    CurlGlobalScope(const CurlGlobalScope&) = delete;
    CurlGlobalScope& operator=(const CurlGlobalScope&) = delete;
};

// Sets libcurl up once for the process when no scope has done it yet (for
// code running outside the programs, such as tests); never cleans up.
void EnsureCurlGlobalInit();
