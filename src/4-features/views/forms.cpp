#include "views/raw_meas_form.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace zelkon {

const ItemList& SatelliteNumbers() {
  static const ItemList numbers = [] {
    std::vector<std::string> list;
    for (int prn = 1; prn <= 32; ++prn)
      list.push_back(std::to_string(prn));
    return std::make_shared<const std::vector<std::string>>(std::move(list));
  }();
  return numbers;
}

}  // namespace zelkon
