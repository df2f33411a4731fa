#pragma once

// Recognitions made today through the cloud service, kept in memory; the
// usage reports store it.
void AddRecognitionToday();
int RecognitionsToday();
