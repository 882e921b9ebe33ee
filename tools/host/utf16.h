// UTF-8 <-> UTF-16 for the plug-in's String128 fields and text parameters.
// Malformed input becomes U+FFFD rather than being dropped, so a broken
// name still shows where it went wrong.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "pluginterfaces/base/ftypes.h"

namespace vst3host {

std::u16string toUtf16(std::string_view utf8);

// Reads up to the first NUL or maxUnits code units, whichever comes first.
std::string toUtf8(const Steinberg::char16* text, std::size_t maxUnits);
std::string toUtf8(std::u16string_view text);

// Copies into a fixed field of `capacity` units, always NUL-terminated;
// a surrogate pair that would be split is left out.
void copyUtf16(std::string_view utf8, Steinberg::char16* field, std::size_t capacity);

} // namespace vst3host
