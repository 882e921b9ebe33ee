// A growable byte buffer for state chunks, programs and file payloads.
// Values go in as their in-memory bytes (little-endian on every processor we
// build for) and come out at a position the caller carries along. Reads are
// fed from hosts and files, so each one is bounds-checked: a read that does
// not fit returns -1 and leaves its output untouched.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

#include "framework/bounded_string.h"

namespace qm {

static_assert(std::endian::native == std::endian::little,
              "stored chunks are little-endian; a big-endian build needs byte swapping");

class IByteChunk {
public:
  // Appends the value's bytes; returns the new size, or -1 if it cannot grow.
  template <class T>
  int Put(const T* value) {
    static_assert(std::is_trivially_copyable_v<T>);
    return PutBytes(value, static_cast<int>(sizeof(T)));
  }

  // Reads a value at pos; returns the position after it, or -1.
  template <class T>
  int Get(T* value, int pos) const {
    static_assert(std::is_trivially_copyable_v<T>);
    return GetBytes(value, static_cast<int>(sizeof(T)), pos);
  }

  int PutBytes(const void* data, int size);
  int GetBytes(void* out, int size, int pos) const;

  // A string as a 32-bit length followed by its characters, no NUL.
  int PutStr(const char* text);
  // Reads a string written by PutStr; a negative or overlong length fails.
  int GetStr(BoundedString& out, int pos) const;

  int PutChunk(const IByteChunk& other) { return PutBytes(other.GetData(), other.Size()); }

  int Size() const { return static_cast<int>(bytes_.size()); }
  // New bytes are zero. Returns the old size, or -1 (and no change) when the
  // size is negative or the memory is not there.
  int Resize(int newSize);
  void Clear() { bytes_.clear(); }

  uint8_t* GetData() { return bytes_.data(); }
  const uint8_t* GetData() const { return bytes_.data(); }

  bool IsEqual(const IByteChunk& other) const { return bytes_ == other.bytes_; }
  // True when the bytes at pos are exactly the given ones.
  bool HasBytesAt(const void* data, int size, int pos) const;

private:
  bool fits(int size, int pos) const {
    return pos >= 0 && size >= 0 && size <= Size() && pos <= Size() - size;
  }

  std::vector<uint8_t> bytes_;
};

} // namespace qm
