// Text between our 8-bit (UTF-8) strings and the host's UTF-16 fields.
// Both directions write into fixed buffers and always terminate them; a
// character that does not fit whole is left out rather than cut in half.
#pragma once

#include "pluginterfaces/base/ftypes.h"

namespace qm::vst3 {

// UTF-8 into a UTF-16 field of `capacity` units (String128: 128). Malformed
// bytes become U+FFFD.
void copyToUtf16(const char* text, Steinberg::char16* field, int capacity);

// UTF-16 (up to the first NUL or maxUnits units) into UTF-8 in a buffer of
// `capacity` bytes. Unpaired surrogates become U+FFFD.
void copyToUtf8(const Steinberg::char16* text, int maxUnits, char* out, int capacity);

} // namespace qm::vst3
