#pragma once
// A push button with a picture beside its caption. Its kind gives the stock
// caption and picture, and makes it the window's default button (Enter) or
// its cancel button (Esc).

#include "control.h"

enum class TBitBtnKind { bkCustom, bkOK, bkCancel, bkNo };

class TBitBtn : public TControl {
public:
    static constexpr const char* kClassName = "TBitBtn";
    using TControl::TControl;
    const char* ClassName() const override { return kClassName; }

    TBitBtnKind Kind = TBitBtnKind::bkCustom;
    TNotifyEvent OnClick;

    bool IsDefault() const { return Kind == TBitBtnKind::bkOK; }
    bool IsCancel() const { return Kind == TBitBtnKind::bkNo || Kind == TBitBtnKind::bkCancel; }
    // The letter that, with Alt, clicks the button; 0 if none.
    wchar_t AccessKey() const;

    // Raises OnClick, as a mouse click, Space, Enter or Esc does.
    void Click();
    // Draws the button as the one Enter would press, or as an ordinary one.
    void ShowAsDefault(bool isDefault);

    void SetProperty(const std::string& name, const layout::Value& value,
                     const HandlerResolver& handlers) override;
    bool TabStop() const override { return true; }
    void Command(WORD code) override;

protected:
    const wchar_t* WindowClassName() const override { return L"BUTTON"; }
    DWORD WindowStyle() const override;
    void HandleCreated() override;

private:
    static AnsiString StockCaption(TBitBtnKind kind);

    bool captionGiven_ = false;
    ImageListHandle glyph_;
};
