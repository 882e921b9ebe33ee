#include "framework/construction_mutex.h"

namespace qm {

std::mutex& ConstructionMutex() {
  static std::mutex mutex;
  return mutex;
}

} // namespace qm
