#pragma once

#include "programs/cli/cli_options.h"

// Recognises the images of a command line with the recognition job, prints the
// texts and returns the exit code.
int RunCliRecognition(const CliOptions& options);

// The process start-up the command line shares with the program: folders,
// interface language, oem.ini, settings, service endpoints and credentials.
void PrepareCliProcess();
