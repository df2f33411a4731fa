#pragma once

#include <ctime>
#include <vector>

// Recognitions made through the cloud service, counted per local day in
// memory; the usage reports store them. A run that passes midnight keeps the
// count of each day apart.
void AddRecognitionToday();
void AddRecognitionAt(std::time_t when);
// Today's count so far (not yet taken).
int RecognitionsToday();

struct DayCount {
    int year;   // 2026
    int month;  // 1..12
    int day;    // 1..31
    int count;
};
// Every day's count, oldest first; the counts start again from zero.
std::vector<DayCount> TakeRecognitionCounts();
