#include "ui/main_modes.h"

#include <array>

namespace {

constexpr std::array<ModeInfo, 14> kModes{{
    {MainMode::Picture, L"Pic-OCR", MainPage::AddImages, L"LicenseTitlePic", L"pic_icon.png",
     KindCode::TextOfflineFirst},
    {MainMode::Screenshot, L"", std::nullopt, L"", L"", KindCode::TextOfflineFirst},
    {MainMode::Documents, L"", MainPage::DocumentKinds, L"", L"", KindCode::TextOfflineFirst},
    {MainMode::IdCard, L"IdCardOCR", MainPage::AddImages, L"LicenseTitleIdcard",
     L"license_icon.svg", KindCode::IdCardBothSides},
    {MainMode::BankCard, L"BankCardOCR", MainPage::AddImages, L"LicenseTitleBankcard",
     L"bankcard_icon.png", KindCode::BankCard},
    {MainMode::DrivingLicence, L"DrivingOCR", MainPage::AddImages, L"LicenseTitleDriving",
     L"driving_icon.png", KindCode::DrivingLicence},
    {MainMode::VehicleLicence, L"VehicleOCR", MainPage::AddImages, L"LicenseTitleVehicle",
     L"vehicle_icon.png", KindCode::VehicleLicence},
    {MainMode::Receipt, L"ReceiptOCR", MainPage::AddImages, L"LicenseTitleReceipt",
     L"receipt_icon.png", KindCode::VatInvoice},
    {MainMode::BusinessLicence, L"BusinessOCR", MainPage::AddImages, L"LicenseTitleBusiness",
     L"business_icon.png", KindCode::BusinessLicence},
    {MainMode::Scanner, L"", std::nullopt, L"", L"", KindCode::TextOfflineFirst},
    {MainMode::Passport, L"PassportOCR", MainPage::AddImages, L"LicenseTitlePassport",
     L"passport_icon.png", KindCode::Passport},
    {MainMode::BankLicence, L"BanklicenseOCR", MainPage::AddImages, L"LicenseTitleBankLicense",
     L"banklicense_icon.png", KindCode::BankAccountLicence},
    {MainMode::CaptureTable, L"", std::nullopt, L"", L"", KindCode::Table},
    {MainMode::Table, L"table-OCR", MainPage::AddImages, L"LicenseTitlePic", L"pic_icon.png",
     KindCode::Table},
}};

}  // namespace

const ModeInfo* FindMode(MainMode mode) {
    for (const ModeInfo& row : kModes)
        if (row.mode == mode) return &row;
    return nullptr;
}

std::optional<MainMode> ModeForButton(std::wstring_view button) {
    for (const ModeInfo& row : kModes)
        if (!row.button.empty() && row.button == button) return row.mode;
    return std::nullopt;
}

KindCode KindCodeForMode(MainMode mode) {
    const ModeInfo* row = FindMode(mode);
    return row ? row->kind : KindCode::TextOfflineFirst;
}

bool IsDocumentMode(MainMode mode) {
    switch (mode) {
        case MainMode::IdCard:
        case MainMode::BankCard:
        case MainMode::DrivingLicence:
        case MainMode::VehicleLicence:
        case MainMode::Receipt:
        case MainMode::BusinessLicence:
        case MainMode::Passport:
        case MainMode::BankLicence:
            return true;
        default:
            return false;
    }
}

bool IsTableMode(MainMode mode) {
    return mode == MainMode::CaptureTable || mode == MainMode::Table;
}
