// taviocr: the desktop text-recognition program.
#include "app/main/startup.h"

int main(int argc, char** argv) { return RunTaviOcr(argc, argv); }
