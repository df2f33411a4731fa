#include "ui/main_modes.h"

#include <array>

namespace {

constexpr std::array<ModeInfo, 14> kModes{{
    {1, L"Pic-OCR", kPageAddImages, L"LicenseTitlePic", L"pic_icon.png",
     KindCode::TextOfflineFirst},
    {2, L"", -1, L"", L"", KindCode::TextOfflineFirst},
    {3, L"", kPageDocumentKinds, L"", L"", KindCode::TextOfflineFirst},
    {4, L"IdCardOCR", kPageAddImages, L"LicenseTitleIdcard", L"license_icon.svg",
     KindCode::IdCardBothSides},
    {5, L"BankCardOCR", kPageAddImages, L"LicenseTitleBankcard", L"bankcard_icon.png",
     KindCode::BankCard},
    {6, L"DrivingOCR", kPageAddImages, L"LicenseTitleDriving", L"driving_icon.png",
     KindCode::DrivingLicence},
    {7, L"VehicleOCR", kPageAddImages, L"LicenseTitleVehicle", L"vehicle_icon.png",
     KindCode::VehicleLicence},
    {8, L"ReceiptOCR", kPageAddImages, L"LicenseTitleReceipt", L"receipt_icon.png",
     KindCode::VatInvoice},
    {9, L"BusinessOCR", kPageAddImages, L"LicenseTitleBusiness", L"business_icon.png",
     KindCode::BusinessLicence},
    {10, L"", -1, L"", L"", KindCode::TextOfflineFirst},
    {11, L"PassportOCR", kPageAddImages, L"LicenseTitlePassport", L"passport_icon.png",
     KindCode::Passport},
    {12, L"BanklicenseOCR", kPageAddImages, L"LicenseTitleBankLicense", L"banklicense_icon.png",
     KindCode::BankAccountLicence},
    {13, L"", -1, L"", L"", KindCode::Table},
    {15, L"table-OCR", kPageAddImages, L"LicenseTitlePic", L"pic_icon.png", KindCode::Table},
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

KindCode KindCodeForMode(int mode) {
    const ModeInfo* row = FindMode(mode);
    return row ? row->kind : KindCode::TextOfflineFirst;
}

bool IsDocumentMode(int mode) { return (mode >= 4 && mode <= 9) || mode == 11 || mode == 12; }

bool IsTableMode(int mode) { return mode == kModeCaptureTable || mode == kModeTable; }
