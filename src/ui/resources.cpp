#include "ui/resources.hpp"

namespace korva::ui {
namespace {

// The main window's menu bar: six commands, no drop-down menus.
constexpr MenuItem kMainMenu[] = {
    {30002, "&Start KORVA-99"},  {30006, "&Ghostview"},        {30004, "&Edit input-file"},
    {30007, "&Help input-file"}, {30005, "&Edit output-file"}, {30003, "&Exit"},
};

}  // namespace

std::span<const MenuItem> menu_resource(int id) {
  if (id == 30001) return kMainMenu;
  return {};
}

const char* const* icon_resource(std::string_view name) {
  if (name == "icon1") return kIcon1;
  return nullptr;
}

}  // namespace korva::ui
