#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CPaintManagerUI;
class QString;
class QWidget;

// Language texts of layout files. The language file keys them
// "@<layout file>/<control>" with an optional "#<what>" naming what the text
// sets; the kind numbers are what a reload target receives.
enum ControlTextKind {
    kControlText = 0,
    kControlToolTip = 1,
    kControlHint = 2,
    kControlPos = 3,
    kControlWidth = 4,
    kControlHeight = 5,
    kControlNormalImage = 6,
    kControlHotImage = 7,
    kControlPushedImage = 8,
    kControlDisabledImage = 9,
};

struct LayoutText {
    std::wstring control;
    std::wstring text;
    int kind = kControlText;
};

// Receives a language's texts control by control.
class IReloadControlText {
public:
    virtual ~IReloadControlText() = default;
    virtual void ReloadControlText(std::wstring_view control, std::wstring_view text, int kind) = 0;
};

using LanguageEntries = std::vector<std::pair<std::wstring, std::wstring>>;

class CSkinManager {
public:
    static CSkinManager& GetSkinManager();

    // Where the entries of the current language come from (read at each use).
    void SetLanguageSource(std::function<LanguageEntries()> source);
    // The texts of one layout file in the current language, in file order.
    std::vector<LayoutText> LayoutTexts(std::wstring_view layoutFile) const;

    // Fonts of a font file in the skin resources become the window's fonts.
    bool ReloadFont(CPaintManagerUI* manager, std::wstring_view fontFile);
    // Adds a layout's texts to the text map.
    void LoadLanguage(std::wstring_view layoutFile);
    // Hands every mapped text to the reload target, or, without one, applies
    // it to every open window that has the control.
    void ReloadText();
    void ResetTextMap();
    const std::vector<LayoutText>& TextMap() const { return map_; }

    void SetReloadTarget(IReloadControlText* target);
    void RemoveReloadTarget(IReloadControlText* target);

    // Applies the texts of these layout files to one window.
    void ApplyLayoutTexts(CPaintManagerUI& manager,
                          const std::vector<std::wstring>& layoutFiles) const;

private:
    std::function<LanguageEntries()> source_;
    std::vector<LayoutText> map_;
    IReloadControlText* target_ = nullptr;
};

// The default effect of a text on a control of one window, by kind; false
// when the window has no such control or the kind does not apply to it.
bool ApplyControlText(CPaintManagerUI& manager, std::wstring_view control, std::wstring_view text,
                      int kind);
// The same on one control.
bool ApplyTextToControl(QWidget* control, const QString& text, int kind);
// The kind a key suffix names ("" → text, "tip", "hint", "pos", "width",
// "height", "normalimage", "hotimage", "pushedimage", "disabledimage"); -1 otherwise.
int ControlTextKindOf(std::wstring_view suffix);
