#pragma once
// The custom control classes that layout files may name as elements, registered with the skin
// library's control factory before any layout is parsed. A class whose control is not built yet has
// no creator and is not registered; a layout naming it then leaves the element to the main window's
// own element table and the skin library.

#include "dui/ControlFactory.h"

#include <span>
#include <string_view>

struct ControlClassEntry
{
    std::string_view name;
    dui::CreateClass creator; // nullptr while the class does not exist
};

// Every class of the registry, in registration order.
std::span<const ControlClassEntry> ControlClasses();

// Registers every class that has a creator, in table order; answers how many were registered.
int RegisterControlClasses();
