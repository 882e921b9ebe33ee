// A host link that writes down every call, so tests can check what the
// plug-in told the host and in which order.
#pragma once

#include <string>
#include <vector>

#include "framework/host_link.h"

namespace test_support {

class RecordingHostLink : public qm::IHostLink {
public:
  std::vector<std::string> calls;
  bool acceptResize = true;

  void SetHostParamValue(int idx, double normalized) override { record("set", idx, normalized); }
  void BeginInformHostOfParamChange(int idx) override { record("begin", idx); }
  void InformHostOfParamChange(int idx, double normalized) override {
    record("inform", idx, normalized);
  }
  void EndInformHostOfParamChange(int idx) override { record("end", idx); }
  void BeginGroupEdit() override { calls.push_back("beginGroup"); }
  void EndGroupEdit() override { calls.push_back("endGroup"); }
  bool ResizeEditor(int width, int height) override {
    calls.push_back("resize " + std::to_string(width) + "x" + std::to_string(height));
    return acceptResize;
  }
  void LatencyChanged(int samples) override { record("latency", samples); }

private:
  void record(const char* what, int idx) {
    calls.push_back(std::string(what) + " " + std::to_string(idx));
  }
  void record(const char* what, int idx, double value) {
    calls.push_back(std::string(what) + " " + std::to_string(idx) + " " + std::to_string(value));
  }
};

} // namespace test_support
