#include "ui/main_modes.h"

#include <array>

namespace {

constexpr std::array<ModeInfo, 14> kModes{{
    {1, L"Pic-OCR", kPageAddImages, L"LicenseTitlePic", L"pic_icon.png", 0},
    {2, L"", -1, L"", L"", 0},
    {3, L"", kPageDocumentKinds, L"", L"", 0},
    {4, L"IdCardOCR", kPageAddImages, L"LicenseTitleIdcard", L"license_icon.svg", 5},
    {5, L"BankCardOCR", kPageAddImages, L"LicenseTitleBankcard", L"bankcard_icon.png", 8},
    {6, L"DrivingOCR", kPageAddImages, L"LicenseTitleDriving", L"driving_icon.png", 9},
    {7, L"VehicleOCR", kPageAddImages, L"LicenseTitleVehicle", L"vehicle_icon.png", 10},
    {8, L"ReceiptOCR", kPageAddImages, L"LicenseTitleReceipt", L"receipt_icon.png", 11},
    {9, L"BusinessOCR", kPageAddImages, L"LicenseTitleBusiness", L"business_icon.png", 12},
    {10, L"", -1, L"", L"", 0},
    {11, L"PassportOCR", kPageAddImages, L"LicenseTitlePassport", L"passport_icon.png", 13},
    {12, L"BanklicenseOCR", kPageAddImages, L"LicenseTitleBankLicense", L"banklicense_icon.png",
     14},
    {13, L"", -1, L"", L"", 15},
    {15, L"table-OCR", kPageAddImages, L"LicenseTitlePic", L"pic_icon.png", 15},
}};

}  // namespace

const ModeInfo* FindMode(int mode) {
    for (const ModeInfo& row : kModes)
        if (row.mode == mode) return &row;
    return nullptr;
}

std::optional<int> ModeForButton(std::wstring_view button) {
    for (const ModeInfo& row : kModes)
        if (!row.button.empty() && row.button == button) return row.mode;
    return std::nullopt;
}

int KindCodeForMode(int mode) {
    const ModeInfo* row = FindMode(mode);
    return row ? row->kind : 0;
}

bool IsDocumentMode(int mode) { return (mode >= 4 && mode <= 9) || mode == 11 || mode == 12; }

bool IsTableMode(int mode) { return mode == kModeCaptureTable || mode == kModeTable; }
