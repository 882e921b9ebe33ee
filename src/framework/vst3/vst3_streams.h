// Reading and writing the host's byte streams. Host streams may deliver
// fewer bytes than asked for, or report failure part-way, so both
// directions loop and check what actually moved.
#pragma once

#include "framework/byte_chunk.h"
#include "pluginterfaces/base/ibstream.h"

namespace qm::vst3 {

// Reads to the end of the stream in blocks of kReadBlock bytes, appending to
// chunk. A read that reports failure ends the loop, unless
// keepReadingOnFailure is set (some hosts report failure while bytes still
// arrive); then only a read of no bytes ends it. False when the stream holds
// more than maxBytes.
constexpr int kReadBlock = 128;
bool readAll(Steinberg::IBStream* stream, IByteChunk& chunk, bool keepReadingOnFailure,
             int maxBytes);

// Writes every byte; false if the stream takes fewer.
bool writeAll(Steinberg::IBStream* stream, const void* data, int size);

} // namespace qm::vst3
