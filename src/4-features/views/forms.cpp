#include "views/raw_meas_form.h"

namespace zelkon {

std::vector<std::string> SatelliteNumbers() {
  std::vector<std::string> numbers;
  for (int prn = 1; prn <= 32; ++prn)
    numbers.push_back(std::to_string(prn));
  return numbers;
}

}  // namespace zelkon
