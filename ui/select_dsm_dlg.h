#pragma once

#include <optional>
#include <vector>

#include "dialogs/skin_dialog.h"
#include "twain/twain_types.h"

// The program's own scanner chooser: one row per data source.
class CSelectDSMDlg : public CSkinDialog {
public:
    explicit CSelectDSMDlg(std::vector<TW_IDENTITY> sources)
        : CSkinDialog(L"dlg_selectDSM"), sources_(std::move(sources)) {}
    // The source confirmed with "btnYes", if any.
    const std::optional<TW_IDENTITY>& Chosen() const { return chosen_; }

protected:
    void OnWindowInit() override;
    void OnClick(TNotifyUI& msg) override;

private:
    std::vector<TW_IDENTITY> sources_;
    std::optional<TW_IDENTITY> chosen_;
};
