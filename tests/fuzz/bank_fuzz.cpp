// Arbitrary bytes as the serialised program store of a bank.
#include "programs_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 16) return 0;
  Halvora& plug = fuzz_support::instrument();
  const qm::IByteChunk chunk = fuzz_support::chunkOf(data, size);
  const int pos = plug.programs().UnserializePresets(chunk, 0);
  if (pos > chunk.Size() || pos < -1) std::abort();
  fuzz_support::checkInvariants(plug);

  // A bank read back writes out and reads in as the same bank.
  qm::IByteChunk written;
  if (!plug.programs().SerializePresets(written)) std::abort();
  if (plug.programs().UnserializePresets(written, 0) != written.Size()) std::abort();
  fuzz_support::checkInvariants(plug);
  return 0;
}
