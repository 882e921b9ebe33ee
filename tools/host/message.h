// Messages and attribute lists the host creates for a plug-in whose
// component and controller talk through IConnectionPoint.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <variant>
#include <vector>

#include "host/host_object.h"
#include "pluginterfaces/vst/ivstattributes.h"
#include "pluginterfaces/vst/ivstmessage.h"

namespace vst3host {

class AttributeList : public HostObject<AttributeList, Steinberg::Vst::IAttributeList> {
public:
  Steinberg::tresult PLUGIN_API setInt(AttrID id, Steinberg::int64 value) override;
  Steinberg::tresult PLUGIN_API getInt(AttrID id, Steinberg::int64& value) override;
  Steinberg::tresult PLUGIN_API setFloat(AttrID id, double value) override;
  Steinberg::tresult PLUGIN_API getFloat(AttrID id, double& value) override;
  Steinberg::tresult PLUGIN_API setString(AttrID id, const Steinberg::Vst::TChar* string) override;
  Steinberg::tresult PLUGIN_API getString(AttrID id, Steinberg::Vst::TChar* string,
                                          Steinberg::uint32 sizeInBytes) override;
  Steinberg::tresult PLUGIN_API setBinary(AttrID id, const void* data,
                                          Steinberg::uint32 sizeInBytes) override;
  Steinberg::tresult PLUGIN_API getBinary(AttrID id, const void*& data,
                                          Steinberg::uint32& sizeInBytes) override;

private:
  using Value = std::variant<Steinberg::int64, double, std::u16string, std::vector<std::uint8_t>>;
  std::map<std::string, Value> values_;
};

class Message : public HostObject<Message, Steinberg::Vst::IMessage> {
public:
  Message() : attributes_(makeHostObject<AttributeList>()) {}

  Steinberg::FIDString PLUGIN_API getMessageID() override { return id_.c_str(); }
  void PLUGIN_API setMessageID(Steinberg::FIDString id) override { id_ = id != nullptr ? id : ""; }
  Steinberg::Vst::IAttributeList* PLUGIN_API getAttributes() override { return attributes_.get(); }

private:
  std::string id_;
  Steinberg::IPtr<AttributeList> attributes_;
};

} // namespace vst3host
