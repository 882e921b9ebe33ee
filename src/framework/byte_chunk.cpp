#include "framework/byte_chunk.h"

#include <climits>
#include <new>

namespace qm {

int IByteChunk::PutBytes(const void* data, int size) {
  if (size < 0 || (size > 0 && !data)) return -1;
  const int oldSize = Size();
  if (size > INT_MAX - oldSize) return -1;
  if (Resize(oldSize + size) < 0) return -1;
  if (size > 0) std::memcpy(bytes_.data() + oldSize, data, static_cast<std::size_t>(size));
  return Size();
}

int IByteChunk::GetBytes(void* out, int size, int pos) const {
  if (!out || !fits(size, pos)) return -1;
  if (size > 0) std::memcpy(out, bytes_.data() + pos, static_cast<std::size_t>(size));
  return pos + size;
}

int IByteChunk::PutStr(const char* text) {
  const int length = text ? static_cast<int>(std::strlen(text)) : 0;
  const int oldSize = Size();
  if (Put(&length) < 0) return -1;
  if (PutBytes(text, length) < 0) {
    Resize(oldSize);
    return -1;
  }
  return Size();
}

int IByteChunk::GetStr(BoundedString& out, int pos) const {
  int32_t length = 0;
  const int textPos = Get(&length, pos);
  if (textPos < 0 || !fits(length, textPos)) return -1;
  std::string text(reinterpret_cast<const char*>(bytes_.data() + textPos),
                   static_cast<std::size_t>(length));
  out.Set(text.c_str());
  return textPos + length;
}

int IByteChunk::Resize(int newSize) {
  if (newSize < 0) return -1;
  const int oldSize = Size();
  try {
    bytes_.resize(static_cast<std::size_t>(newSize), 0);
  } catch (const std::bad_alloc&) {
    return -1;
  }
  return oldSize;
}

bool IByteChunk::HasBytesAt(const void* data, int size, int pos) const {
  return data && fits(size, pos) &&
         std::memcmp(bytes_.data() + pos, data, static_cast<std::size_t>(size)) == 0;
}

} // namespace qm
