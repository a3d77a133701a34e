#pragma once
// Makes a widget of a class named in a layout.

#include <memory>
#include <string>

#include "classes.h"

// Throws Exception when the class is not one the toolkit has.
std::unique_ptr<TComponent> CreateComponentOfClass(const std::string& className, TComponent* owner);
