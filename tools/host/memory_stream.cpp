#include "host/memory_stream.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace vst3host {

using namespace Steinberg;

namespace {
// A state larger than this is a runaway plug-in, not a sound.
constexpr int64 kMaxStreamBytes = std::numeric_limits<int32>::max();
} // namespace

tresult PLUGIN_API MemoryStream::read(void* buffer, int32 numBytes, int32* numBytesRead) {
  if (numBytesRead != nullptr) *numBytesRead = 0;
  if (numBytes < 0 || (buffer == nullptr && numBytes > 0)) return kInvalidArgument;
  if (failReads_) return kResultFalse;
  int64 end = static_cast<int64>(bytes_.size());
  if (readLimit_) end = std::min(end, std::max<int64>(*readLimit_, 0));
  const int64 available = std::max<int64>(end - position_, 0);
  const auto count = static_cast<int32>(std::min<int64>(available, numBytes));
  if (count > 0) std::memcpy(buffer, bytes_.data() + position_, static_cast<size_t>(count));
  position_ += count;
  if (numBytesRead != nullptr) *numBytesRead = count;
  return kResultOk;
}

tresult PLUGIN_API MemoryStream::write(void* buffer, int32 numBytes, int32* numBytesWritten) {
  if (numBytesWritten != nullptr) *numBytesWritten = 0;
  if (numBytes < 0 || (buffer == nullptr && numBytes > 0)) return kInvalidArgument;
  if (position_ + numBytes > kMaxStreamBytes) return kOutOfMemory;
  const auto end = static_cast<size_t>(position_ + numBytes);
  // A write after a seek past the end fills the gap with zeros.
  if (end > bytes_.size()) bytes_.resize(end, 0);
  if (numBytes > 0) std::memcpy(bytes_.data() + position_, buffer, static_cast<size_t>(numBytes));
  position_ += numBytes;
  if (numBytesWritten != nullptr) *numBytesWritten = numBytes;
  return kResultOk;
}

tresult PLUGIN_API MemoryStream::seek(int64 pos, int32 mode, int64* result) {
  int64 base = 0;
  switch (mode) {
  case kIBSeekSet:
    base = 0;
    break;
  case kIBSeekCur:
    base = position_;
    break;
  case kIBSeekEnd:
    base = static_cast<int64>(bytes_.size());
    break;
  default:
    return kInvalidArgument;
  }
  // Refuse without moving: a plug-in that seeks wrongly must not lose its place.
  if ((pos < 0 && base + pos < 0) || (pos > 0 && base > kMaxStreamBytes - pos)) {
    return kInvalidArgument;
  }
  position_ = base + pos;
  if (result != nullptr) *result = position_;
  return kResultOk;
}

tresult PLUGIN_API MemoryStream::tell(int64* pos) {
  if (pos == nullptr) return kInvalidArgument;
  *pos = position_;
  return kResultOk;
}

tresult PLUGIN_API MemoryStream::getStreamSize(int64& size) {
  size = static_cast<int64>(bytes_.size());
  return kResultOk;
}

tresult PLUGIN_API MemoryStream::setStreamSize(int64 size) {
  if (size < 0 || size > kMaxStreamBytes) return kInvalidArgument;
  bytes_.resize(static_cast<size_t>(size), 0);
  return kResultOk;
}

} // namespace vst3host
