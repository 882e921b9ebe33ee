// Arbitrary bytes as a state chunk, read both as a program's settings and as
// a host's saved state. A read never runs past the chunk, and what it
// applies is always a valid set of values.
#include "programs_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 16) return 0;
  Halvora& plug = fuzz_support::instrument();
  const qm::IByteChunk chunk = fuzz_support::chunkOf(data, size);
  const int pos = plug.UnserializeState(chunk, 0);
  if (pos > chunk.Size() || pos < -1 || pos == 0) std::abort();
  fuzz_support::checkInvariants(plug);
  if (plug.unserializeQuillmereState(chunk, 0) != pos) std::abort();
  if (plug.GetRestoringState()) std::abort();
  fuzz_support::checkInvariants(plug);

  // Whatever was applied writes out and reads back unchanged.
  qm::IByteChunk again;
  if (!plug.SerializeState(again) || plug.UnserializeState(again, 0) != again.Size()) std::abort();
  return 0;
}
