// Cost of the configuration paths a user waits on: parsing a full file,
// reloading it (from the cache, and after it changed on disk), and a write
// that finds nothing to change.
#include "platform/files.h"
#include "settings/config_file.h"
#include "settings/ini_file.h"

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <string>

namespace {

std::string fullConfig() {
  std::string text =
      "[Editor]\nScale=0.500000\n\n[Global]\nPath to Program Files=/home/user/presets\n\n"
      "[MIDI Control]\n";
  for (int n = 0; n < ConfigSettings::kLearnableControllers; ++n)
    text += "CC" + std::to_string(n) + "=" + std::to_string(n % 93) + "\n";
  text += "\n[MIDI Global]\nIgnore Program Change=false\nMIDI Thru=true\n\n"
          "[Startup Bank]\nFile=/home/user/banks/live.fxb\n\n";
  return text;
}

struct Scratch {
  Scratch() {
    char pattern[] = "/tmp/halvora-bench-XXXXXX";
    folder = mkdtemp(pattern);
    platform::replaceFile(folder + "/halvora.ini", fullConfig());
  }
  ~Scratch() {
    ::remove((folder + "/halvora.ini").c_str());
    ::remove(folder.c_str());
  }
  std::string folder;
};

void BM_ParseFullConfig(benchmark::State& state) {
  const std::string text = fullConfig();
  for (auto _ : state) benchmark::DoNotOptimize(IniDocument::parse(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseFullConfig);

void BM_LoadConfigCached(benchmark::State& state) {
  Scratch scratch;
  ConfigFile config;
  config.open(scratch.folder, "");
  for (auto _ : state) benchmark::DoNotOptimize(config.loadConfig());
}
BENCHMARK(BM_LoadConfigCached);

void BM_LoadConfigAfterChange(benchmark::State& state) {
  Scratch scratch;
  ConfigFile config;
  config.open(scratch.folder, "");
  for (auto _ : state) {
    ini::clearCache();
    benchmark::DoNotOptimize(config.loadConfig());
  }
}
BENCHMARK(BM_LoadConfigAfterChange);

void BM_SaveAllUnchanged(benchmark::State& state) {
  Scratch scratch;
  ConfigFile config;
  config.open(scratch.folder, "");
  config.saveConfig(ConfigFile::kSaveAll);
  for (auto _ : state) benchmark::DoNotOptimize(config.saveConfig(ConfigFile::kSaveAll));
}
BENCHMARK(BM_SaveAllUnchanged);

void BM_SaveAllChanged(benchmark::State& state) {
  Scratch scratch;
  ConfigFile config;
  config.open(scratch.folder, "");
  bool thru = false;
  for (auto _ : state) {
    config.settings.midiThru = (thru = !thru);
    benchmark::DoNotOptimize(config.saveConfig(ConfigFile::kSaveAll));
  }
}
BENCHMARK(BM_SaveAllChanged);

} // namespace

BENCHMARK_MAIN();
