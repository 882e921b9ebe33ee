// A byte stream in memory for plug-in state. Tests can make it misbehave the
// way real hosts' streams do: reads that report failure, or a stream that
// appears to end after N bytes (a truncated project file).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "host/host_object.h"
#include "pluginterfaces/base/ibstream.h"

namespace vst3host {

class MemoryStream
    : public HostObject<MemoryStream, Steinberg::IBStream, Steinberg::ISizeableStream> {
public:
  MemoryStream() = default;
  explicit MemoryStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  std::int64_t position() const { return position_; }

  // Every read returns kResultFalse with nothing read.
  void setFailReads(bool fail) { failReads_ = fail; }
  // Reads see only the first `limit` bytes; std::nullopt lifts the limit.
  void setReadLimit(std::optional<std::int64_t> limit) { readLimit_ = limit; }

  Steinberg::tresult PLUGIN_API read(void* buffer, Steinberg::int32 numBytes,
                                     Steinberg::int32* numBytesRead) override;
  Steinberg::tresult PLUGIN_API write(void* buffer, Steinberg::int32 numBytes,
                                      Steinberg::int32* numBytesWritten) override;
  Steinberg::tresult PLUGIN_API seek(Steinberg::int64 pos, Steinberg::int32 mode,
                                     Steinberg::int64* result) override;
  Steinberg::tresult PLUGIN_API tell(Steinberg::int64* pos) override;
  Steinberg::tresult PLUGIN_API getStreamSize(Steinberg::int64& size) override;
  Steinberg::tresult PLUGIN_API setStreamSize(Steinberg::int64 size) override;

private:
  std::vector<std::uint8_t> bytes_;
  std::int64_t position_ = 0;
  bool failReads_ = false;
  std::optional<std::int64_t> readLimit_;
};

} // namespace vst3host
