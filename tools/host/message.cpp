#include "host/message.h"

#include <cstring>

namespace vst3host {

using namespace Steinberg;
using namespace Steinberg::Vst;

tresult PLUGIN_API AttributeList::setInt(AttrID id, int64 value) {
  if (id == nullptr) return kInvalidArgument;
  values_[id] = value;
  return kResultOk;
}

tresult PLUGIN_API AttributeList::getInt(AttrID id, int64& value) {
  if (id == nullptr) return kInvalidArgument;
  const auto it = values_.find(id);
  if (it == values_.end() || !std::holds_alternative<int64>(it->second)) return kResultFalse;
  value = std::get<int64>(it->second);
  return kResultOk;
}

tresult PLUGIN_API AttributeList::setFloat(AttrID id, double value) {
  if (id == nullptr) return kInvalidArgument;
  values_[id] = value;
  return kResultOk;
}

tresult PLUGIN_API AttributeList::getFloat(AttrID id, double& value) {
  if (id == nullptr) return kInvalidArgument;
  const auto it = values_.find(id);
  if (it == values_.end() || !std::holds_alternative<double>(it->second)) return kResultFalse;
  value = std::get<double>(it->second);
  return kResultOk;
}

tresult PLUGIN_API AttributeList::setString(AttrID id, const TChar* string) {
  if (id == nullptr || string == nullptr) return kInvalidArgument;
  values_[id] = std::u16string(string);
  return kResultOk;
}

tresult PLUGIN_API AttributeList::getString(AttrID id, TChar* string, uint32 sizeInBytes) {
  if (id == nullptr || string == nullptr) return kInvalidArgument;
  const auto it = values_.find(id);
  if (it == values_.end() || !std::holds_alternative<std::u16string>(it->second)) {
    return kResultFalse;
  }
  const std::u16string& text = std::get<std::u16string>(it->second);
  const size_t capacity = sizeInBytes / sizeof(TChar);
  if (capacity == 0) return kInvalidArgument;
  const size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
  std::memcpy(string, text.data(), n * sizeof(TChar));
  string[n] = 0;
  return kResultOk;
}

tresult PLUGIN_API AttributeList::setBinary(AttrID id, const void* data, uint32 sizeInBytes) {
  if (id == nullptr || (data == nullptr && sizeInBytes > 0)) return kInvalidArgument;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  values_[id] = std::vector<std::uint8_t>(bytes, bytes + sizeInBytes);
  return kResultOk;
}

tresult PLUGIN_API AttributeList::getBinary(AttrID id, const void*& data, uint32& sizeInBytes) {
  if (id == nullptr) return kInvalidArgument;
  const auto it = values_.find(id);
  if (it == values_.end() || !std::holds_alternative<std::vector<std::uint8_t>>(it->second)) {
    return kResultFalse;
  }
  const auto& bytes = std::get<std::vector<std::uint8_t>>(it->second);
  data = bytes.data();
  sizeInBytes = static_cast<uint32>(bytes.size());
  return kResultOk;
}

} // namespace vst3host
