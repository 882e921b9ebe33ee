#include "framework/vst3/vst3_streams.h"

#include <algorithm>

namespace qm::vst3 {

using namespace Steinberg;

bool readAll(IBStream* stream, IByteChunk& chunk, bool keepReadingOnFailure, int maxBytes) {
  uint8_t block[kReadBlock];
  for (;;) {
    int32 read = 0;
    const tresult result = stream->read(block, kReadBlock, &read);
    read = std::clamp<int32>(read, 0, kReadBlock);
    if (read == 0) return true;
    if (chunk.Size() > maxBytes - read) return false;
    if (chunk.PutBytes(block, read) < 0) return false;
    if (result != kResultOk && !keepReadingOnFailure) return true;
  }
}

bool writeAll(IBStream* stream, const void* data, int size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  int done = 0;
  while (done < size) {
    int32 written = 0;
    const tresult result = stream->write(const_cast<uint8_t*>(bytes + done), size - done, &written);
    if (result != kResultOk || written <= 0 || written > size - done) return false;
    done += written;
  }
  return true;
}

} // namespace qm::vst3
