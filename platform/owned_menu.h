#pragma once
// Windows only: the owner of a menu: DestroyMenu, which takes its submenus
// with it, in one place.

#include <windows.h>

#include <memory>
#include <type_traits>

namespace platform {

struct MenuDestroyer {
  void operator()(HMENU menu) const { DestroyMenu(menu); }
};
using OwnedMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDestroyer>;

}  // namespace platform
