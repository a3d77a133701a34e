#include "designed_box.h"

#include "property_values.h"

bool DesignedBox::SetDesignProperty(const std::string& name, const layout::Value& value, const std::string& where) {
    if (name == "Left") Left = props::Integer(value, where);
    else if (name == "Top") Top = props::Integer(value, where);
    else if (name == "Width") Width = props::Integer(value, where);
    else if (name == "Height") Height = props::Integer(value, where);
    else if (IsFontProperty(name)) Font.SetProperty(name.substr(5), value, where);
    else return false;
    return true;
}
