#include "recognition/daily_count.h"

#include <ctime>
#include <mutex>

namespace {

std::mutex g_mutex;
int g_day = -1;
int g_count = 0;

int Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_year * 1000 + local.tm_yday;
}

}  // namespace

void AddRecognitionToday() {
    std::lock_guard lock(g_mutex);
    const int today = Today();
    if (today != g_day) g_day = today, g_count = 0;
    ++g_count;
}

int RecognitionsToday() {
    std::lock_guard lock(g_mutex);
    return Today() == g_day ? g_count : 0;
}
