#include "component_factory.h"

#include "bitbtn.h"
#include "edit.h"
#include "exception.h"
#include "label.h"
#include "status_bar.h"
#include "timer.h"

namespace {
template <typename T>
std::unique_ptr<TComponent> Make(TCustomForm& form) {
    return std::make_unique<T>(form);
}
}  // namespace

std::unique_ptr<TComponent> CreateComponentOfClass(const std::string& className, TCustomForm& form,
                                                   const std::string& where) {
    using Factory = std::unique_ptr<TComponent> (*)(TCustomForm&);
    static const struct {
        const char* name;
        Factory make;
    } classes[] = {
        {TLabel::kClassName, Make<TLabel>},         {TEdit::kClassName, Make<TEdit>},
        {TBitBtn::kClassName, Make<TBitBtn>},       {TTimer::kClassName, Make<TTimer>},
        {TStatusBar::kClassName, Make<TStatusBar>},
    };
    for (const auto& known : classes)
        if (className == known.name) return known.make(form);
    throw Exception(AnsiString("unknown class " + className + " for " + where));
}
