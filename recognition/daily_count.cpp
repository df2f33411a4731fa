#include "recognition/daily_count.h"

#include <map>
#include <mutex>
#include <tuple>

namespace {

using Day = std::tuple<int, int, int>;

std::mutex g_mutex;
std::map<Day, int> g_counts;

Day DayOf(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

}  // namespace

void AddRecognitionToday() { AddRecognitionAt(std::time(nullptr)); }

void AddRecognitionAt(std::time_t when) {
    const std::lock_guard lock(g_mutex);
    ++g_counts[DayOf(when)];
}

int RecognitionsToday() {
    const std::lock_guard lock(g_mutex);
    const auto found = g_counts.find(DayOf(std::time(nullptr)));
    return found == g_counts.end() ? 0 : found->second;
}

std::vector<DayCount> TakeRecognitionCounts() {
    const std::lock_guard lock(g_mutex);
    std::vector<DayCount> counts;
    for (const auto& [day, count] : g_counts)
        counts.push_back({std::get<0>(day), std::get<1>(day), std::get<2>(day), count});
    g_counts.clear();
    return counts;
}
