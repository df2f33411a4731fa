#include "dialogs/message_dlg.h"

#include <QStyle>
#include <QWidget>

#include "app/message_styles.h"
#include "toolkit/controls/button_ui.h"
#include "toolkit/controls/label_ui.h"

namespace {

std::wstring_view LogoFor(int style) {
    if (style & kStyleInformation) return L"infoLogo";
    if (style & kStyleError) return L"errorLogo";
    if (style & kStyleWarning) return L"warnLogo";
    return L"infoLogo";
}

void MakePrimary(QWidget* button) {
    button->setProperty("role", QStringLiteral("primary"));
    button->style()->unpolish(button);
    button->style()->polish(button);
}

}  // namespace

void CMessageDlg::OnWindowInit() {
    SetControlText(L"caption", caption);
    if (auto* context = Find<CLabelUI>(L"context")) {
        context->SetShowHtml(showHtml);
        context->SetText(message);
        // A message may name a file or a command to type: it can be copied.
        context->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    SetControlVisible(LogoFor(style), true);

    auto* yes = Find<CButtonUI>(L"btnYes");
    auto* close = Find<CButtonUI>(L"btnClose");
    if (yes && close) {
        if (!(style & kStyleTwoButtons)) {
            // One confirming button: the close button, worded as yes.
            yes->hide();
            close->SetText(yes->GetText());
            MakePrimary(close);
        }
        if (!yesText.empty()) yes->SetText(yesText);
        if (!closeText.empty()) close->SetText(closeText);
    }
    if (!leftText.empty())
        if (auto* left = Find<CButtonUI>(L"btnLeft")) {
            left->SetText(leftText);
            left->show();
        }
    FitHeightToContent();
}

void CMessageDlg::OnClick(TNotifyUI& msg) {
    if (msg.sName == L"btnClose")
        result = kMessageClose;
    else if (msg.sName == L"btnYes")
        result = kMessageYes;
    else if (msg.sName == L"btnLeft")
        result = kMessageLeft;
    else
        return;
    Close();
}
