#include "bitbtn.h"

#include <cwctype>

#include "application.h"
#include "button_glyphs.h"
#include "form.h"
#include "property_values.h"
#include "system_error.h"
#include "text_codec.h"

void TBitBtn::SetProperty(const std::string& name, const layout::Value& value, const HandlerResolver& handlers) {
    const std::string where = PropertyPath(name);
    if (name == "Kind") {
        const std::string& kind = props::Identifier(value, where);
        if (kind == "bkOK") Kind = TBitBtnKind::bkOK;
        else if (kind == "bkNo") Kind = TBitBtnKind::bkNo;
        else if (kind == "bkCancel") Kind = TBitBtnKind::bkCancel;
        else if (kind == "bkCustom") Kind = TBitBtnKind::bkCustom;
        else props::Invalid(where, "unknown button kind " + kind);
        // The kind brings its stock caption unless the layout gives one.
        if (!captionGiven_) text_ = StockCaption(Kind);
    } else if (name == "Caption") {
        text_ = props::Text(value, where);
        captionGiven_ = true;
    } else if (name == "OnClick") {
        OnClick = handlers.ResolveHandler(props::Identifier(value, where), where);
    } else {
        TControl::SetProperty(name, value, handlers);
    }
}

AnsiString TBitBtn::StockCaption(TBitBtnKind kind) {
    switch (kind) {
    case TBitBtnKind::bkOK: return "OK";
    case TBitBtnKind::bkNo: return "&No";
    case TBitBtnKind::bkCancel: return "Cancel";
    case TBitBtnKind::bkCustom: break;
    }
    return {};
}

wchar_t TBitBtn::AccessKey() const {
    const std::wstring text = WideFromBig5(text_);
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != L'&') continue;
        if (text[i + 1] == L'&') {
            ++i;
            continue;
        }
        return static_cast<wchar_t>(std::towupper(text[i + 1]));
    }
    return 0;
}

DWORD TBitBtn::WindowStyle() const {
    // BS_NOTIFY: the form hears when the button takes the focus, so it can
    // move the default-button frame as a dialog does.
    return TControl::WindowStyle() | WS_TABSTOP | BS_NOTIFY | (IsDefault() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
}

void TBitBtn::FitToResolution() {
    const int glyphSize = Scaled(18);
    // The picture only decorates: a button whose picture cannot be made
    // shows its caption alone and still works.
    UniqueImageList list;
    try {
        if (Kind == TBitBtnKind::bkOK) list = CreateCheckMarkGlyph(glyphSize);
        else if (IsCancel()) list = CreateNoEntryGlyph(glyphSize);
    } catch (const SystemFailure&) {
        return;
    }
    if (!list) return;
    // An image list shows the picture beside the caption (BM_SETIMAGE would
    // show the picture alone on some systems).
    BUTTON_IMAGELIST images{};
    images.himl = list.Get();
    images.margin = RECT{Scaled(4), 0, Scaled(4), 0};
    images.uAlign = BUTTON_IMAGELIST_ALIGN_LEFT;
    SendMessageW(handle_.Get(), BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&images));
    // The picture of the resolution before goes once the button has let it go.
    glyph_ = std::move(list);
}

void TBitBtn::FocusMoved(TControl* focused) {
    ShowAsDefault(focused && focused->IsButton() ? focused == this : IsDefault());
}

void TBitBtn::ShowAsDefault(bool isDefault) {
    if (!handle_) return;
    SendMessageW(handle_.Get(), BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TBitBtn::Command(WORD code) {
    if (code == BN_CLICKED) Click();
    else if (code == BN_SETFOCUS) Form().FocusChanged();
}

void TBitBtn::Click() { Application->Invoke(OnClick, this); }
