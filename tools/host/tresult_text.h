// Names for the VST 3 result codes, for error messages.
#pragma once

#include <string>

#include "pluginterfaces/base/funknown.h"

namespace vst3host {

std::string resultName(Steinberg::tresult result);

// "<call> failed (<result name>)".
std::string callFailed(const std::string& call, Steinberg::tresult result);

} // namespace vst3host
