#pragma once
// A push button with a picture beside its caption. Its kind gives the stock
// caption and picture, and makes it the window's default button (Enter) or
// its cancel button (Esc).

#include "button_glyphs.h"
#include "control.h"

enum class TBitBtnKind { bkCustom, bkOK, bkCancel, bkNo };

class TBitBtn : public TControl {
public:
    DECLARE_CLASS_NAME(TBitBtn)
    using TControl::TControl;
    // The button's window goes before the picture it shows.
    ~TBitBtn() override { handle_.Reset(); }

    TBitBtnKind Kind = TBitBtnKind::bkCustom;
    TNotifyEvent OnClick;

    bool IsButton() const override { return true; }
    bool IsDefault() const override { return Kind == TBitBtnKind::bkOK; }
    bool IsCancel() const override { return Kind == TBitBtnKind::bkNo || Kind == TBitBtnKind::bkCancel; }
    // The letter after '&' in the caption.
    wchar_t AccessKey() const override;

    // Raises OnClick, as a mouse click, Space, Enter or Esc does.
    void Click() override;
    // Draws the button as the one Enter would press: the focused button, or
    // with the focus elsewhere, the default button.
    void FocusMoved(TControl* focused) override;

    void SetProperty(const std::string& name, const layout::Value& value, const HandlerResolver& handlers) override;
    bool TabStop() const override { return true; }
    void Command(WORD code) override;

protected:
    const wchar_t* WindowClassName() const override { return L"BUTTON"; }
    DWORD WindowStyle() const override;
    // The picture, drawn at the form's resolution.
    void FitToResolution() override;

private:
    static AnsiString StockCaption(TBitBtnKind kind);
    void ShowAsDefault(bool isDefault);

    bool captionGiven_ = false;
    UniqueImageList glyph_;
};
