#include "barcode/ModuleText.h"

namespace barcode {

std::string NarrowWideToModules(std::string_view flags) {
  std::string modules;
  modules.reserve(flags.size());
  for (std::size_t i = 0; i < flags.size(); ++i) {
    const bool wide = flags[i] == '1';
    modules += i % 2 == 0 ? BarModule(wide) : SpaceModule(wide);
  }
  return modules;
}

}  // namespace barcode
