// Instances are built one at a time, whichever host thread asks: the shared
// tables and files touched during construction are not made for two builders.
#pragma once

#include <mutex>

namespace qm {

std::mutex& ConstructionMutex();

} // namespace qm
