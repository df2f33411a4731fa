// taviocr: the desktop text-recognition program.
#include "programs/taviocr/startup.h"

int main(int argc, char** argv) { return RunTaviOcr(argc, argv); }
