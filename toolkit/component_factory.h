#pragma once
// Makes a widget of a class named in a layout.

#include <memory>
#include <string>

#include "component.h"

// Throws Exception naming the class and `where` (the widget's path) when
// the class is not one the toolkit has.
std::unique_ptr<TComponent> CreateComponentOfClass(const std::string& className, TCustomForm& form,
                                                   const std::string& where);
