// A real instrument for the program tests, built with its settings in a
// scratch folder so the user's own configuration is never read or written.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/halvora.h"
#include "framework/fake_host_link.h"
#include "platform/files.h"
#include "platform/temp_folder.h"
#include "programs/state_chunk.h"

namespace programs_test {

// Records what the instrument tells its engine and its editor.
class ProbeHalvora : public Halvora {
public:
  std::vector<int> paramChanges;
  int presetsModified = 0;
  std::thread::id presetsModifiedThread;

  void OnParamChange(int paramIdx) override {
    Halvora::OnParamChange(paramIdx);
    paramChanges.push_back(paramIdx);
  }
  void OnPresetsModified() override {
    ++presetsModified;
    presetsModifiedThread = std::this_thread::get_id();
  }
};

class HalvoraTest : public ::testing::Test {
protected:
  HalvoraTest() : config_("XDG_CONFIG_HOME", settingsFolder_.path()) {
    plug = std::make_unique<ProbeHalvora>();
    plug->SetHostLink(&host);
  }

  std::vector<double> values() const {
    std::vector<double> out;
    for (int i = 0; i < plug->NParams(); ++i) out.push_back(plug->GetParam(i)->Value());
    return out;
  }

  // A valid, random value for every parameter.
  static std::vector<double> randomValues(const Halvora& p, std::mt19937& rng) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<double> out;
    for (int i = 0; i < p.NParams(); ++i) out.push_back(p.GetParam(i)->FromNormalized(unit(rng)));
    return out;
  }

  void setValues(const std::vector<double>& v) {
    for (int i = 0; i < plug->NParams(); ++i) plug->GetParam(i)->Set(v[static_cast<size_t>(i)]);
  }

  // Every parameter a step away from its default, so an applied chunk shows.
  std::vector<double> nonDefaultValues() const {
    std::vector<double> out;
    for (int i = 0; i < plug->NParams(); ++i) {
      const qm::IParam* p = plug->GetParam(i);
      out.push_back(p->GetDefault() == p->GetMax() ? p->GetMin() : p->GetMax());
    }
    return out;
  }

  static qm::IByteChunk doublesChunk(const std::vector<double>& v) {
    qm::IByteChunk chunk;
    for (double d : v) chunk.Put(&d);
    return chunk;
  }

  static qm::IByteChunk markedChunk(int32_t index, const std::string& name,
                                    const std::vector<double>& v) {
    qm::IByteChunk chunk;
    chunk.PutBytes(programs::kStateMarker, programs::kStateMarkerLen);
    chunk.Put(&index);
    chunk.PutStr(name.c_str());
    chunk.PutChunk(doublesChunk(v));
    return chunk;
  }

  static std::string bytes(const qm::IByteChunk& chunk) {
    return std::string(reinterpret_cast<const char*>(chunk.GetData()),
                       static_cast<size_t>(chunk.Size()));
  }

  testing_support::TempFolder settingsFolder_;
  testing_support::ScopedEnv config_;
  test_support::RecordingHostLink host;
  std::unique_ptr<ProbeHalvora> plug;
};

} // namespace programs_test
