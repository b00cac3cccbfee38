#include "core/output.h"

#include <cerrno>
#include <cstring>

namespace zelkon {

bool WriteOutput(std::ostream& out, std::ostream& err, std::string_view text) {
  errno = 0;
  if (out << text << std::flush) return true;
  // The stream keeps no reason; the failed write(2) of standard output has left it in errno.
  const int error = errno;
  err << "zelkon: error writing standard output: "
      << (error != 0 ? std::strerror(error) : "the stream failed") << std::endl;
  return false;
}

}  // namespace zelkon
