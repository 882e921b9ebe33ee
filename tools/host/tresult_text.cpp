#include "host/tresult_text.h"

namespace vst3host {

std::string resultName(Steinberg::tresult result) {
  using namespace Steinberg;
  switch (result) {
  case kResultOk:
    return "kResultOk";
  case kResultFalse:
    return "kResultFalse";
  case kNoInterface:
    return "kNoInterface";
  case kInvalidArgument:
    return "kInvalidArgument";
  case kNotImplemented:
    return "kNotImplemented";
  case kInternalError:
    return "kInternalError";
  case kNotInitialized:
    return "kNotInitialized";
  case kOutOfMemory:
    return "kOutOfMemory";
  default:
    return "result " + std::to_string(result);
  }
}

std::string callFailed(const std::string& call, Steinberg::tresult result) {
  return call + " failed (" + resultName(result) + ")";
}

} // namespace vst3host
