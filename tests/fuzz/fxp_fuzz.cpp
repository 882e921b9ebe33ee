// Arbitrary bytes as a program file, opaque or parameter list.
#include "programs_fuzz.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 16) return 0;
  Halvora& plug = fuzz_support::instrument();
  plug.programs().loadPresetFromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  fuzz_support::checkInvariants(plug);
  return 0;
}
