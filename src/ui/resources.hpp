// Resources compiled into the desktop program: menu bars by identifier and
// icons by name.
#pragma once

#include <span>
#include <string_view>

namespace korva::ui {

struct MenuItem {
  int id;
  const char* text;  // "&" marks the accelerator letter
};

// The items of a menu bar, left to right; empty for an unknown identifier.
std::span<const MenuItem> menu_resource(int id);

// An icon as XPM data; nullptr for an unknown name.
const char* const* icon_resource(std::string_view name);

extern const char* const kIcon1[];

}  // namespace korva::ui
