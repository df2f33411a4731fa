#include "platform/engine_handover.h"

namespace {

std::wstring WithLane(std::wstring name, unsigned lane) {
    return lane == 0 ? name : name + L"_" + std::to_wstring(lane);
}

}  // namespace

std::wstring EngineTextFormat(unsigned lane) { return WithLane(L"THOCR_FMT", lane); }

std::wstring EngineReportFormat(unsigned lane) { return WithLane(L"THOCR_REPORT", lane); }
