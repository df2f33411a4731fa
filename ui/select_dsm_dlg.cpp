#include "ui/select_dsm_dlg.h"

#include <QScrollBar>
#include <cstring>

#include "dialogs/message_box.h"
#include "platform/text.h"
#include "toolkit/controls/label_ui.h"
#include "toolkit/controls/list_ui.h"
#include "toolkit/dpi.h"

void CSelectDSMDlg::OnWindowInit() {
    auto* list = Find<CListUI>(L"DSMList");
    if (!list) return;
    list->verticalScrollBar()->setFixedWidth(12);  // slim, without arrow buttons
    const int rowHeight = CDPI(GetWidget()).GetDPI() >= 192 ? 60 : 34;
    for (const TW_IDENTITY& source : sources_) {
        auto* row = new CListContainerElementUI;
        row->setFixedHeight(rowHeight);
        auto* name = new CLabelUI(row);
        name->setText(QString::fromStdWString(
            AnsiToWide(std::string(source.ProductName, strnlen(source.ProductName, 34)))));
        name->setGeometry(12, 0, 400, rowHeight);
        name->setMinimumHeight(rowHeight);
        list->Add(row);
    }
    if (list->GetCount() > 0) list->SelectItem(0);
}

void CSelectDSMDlg::OnClick(TNotifyUI& msg) {
    if (msg.sName == L"btnClose") {
        Close();
    } else if (msg.sName == L"btnYes") {
        const auto* list = Find<CListUI>(L"DSMList");
        const int row = list ? list->GetCurSel() : -1;
        if (row < 0 || row >= static_cast<int>(sources_.size())) {
            ShowMessageByKey(L"SelectDSM", GetHWND(), kStyleInformation);
            return;
        }
        chosen_ = sources_[static_cast<std::size_t>(row)];
        Close();
    }
}
