#pragma once

// The process entry of the window program, from the crash handler to the end
// of the message loop. Always returns 0.
int RunTaviOcr(int argc, char** argv);
