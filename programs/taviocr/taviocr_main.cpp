// taviocr: the desktop text-recognition program.
#include <malloc.h>

#include "programs/taviocr/startup.h"

int main(int argc, char** argv) {
    // The program stays resident: a picture of a megabyte or more (a 4K screen
    // is 32 MiB, three times over during a capture) goes back to the system
    // when it is freed. By default glibc raises this threshold after the first
    // such picture and keeps later ones in its heap for the rest of the run.
    mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
    return RunTaviOcr(argc, argv);
}
