// The per-user configuration of the instrument: one "halvora.ini" in the
// settings folder, shared by every instance and every process of the user.
// It holds the startup bank, the editor's scale, the folder where the file
// dialogs start, two MIDI options and the MIDI-learn controller map.
//
// ConfigFile owns the settings record and the file's path; the instrument
// owns one and forwards its configuration operations to it. Settings are
// changed on the main thread. The ones the audio thread reads (the MIDI
// options and the controller map) are atomics, so it sees whole values
// without taking a lock.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

struct ConfigSettings {
  // Any controller number 0..127 indexes the map safely; only 0..119 can be
  // learned and stored, 120..127 being channel mode messages.
  static constexpr int kControllerCount = 128;
  static constexpr int kLearnableControllers = 120;
  static constexpr int kNoAssignment = -1;
  static constexpr float kDefaultGuiScale = 0.5f;

  ConfigSettings();

  // Main thread only.
  std::string startupBankPath; // empty: none chosen
  std::string programFolder;   // where the file dialogs start
  float guiScale = kDefaultGuiScale;

  // Written on the main thread, read on the audio thread.
  std::atomic<bool> midiThru{false};
  std::atomic<bool> ignoreProgramChange{false};
  std::array<std::atomic<int>, kControllerCount> controllerMap;

  // The parameter assigned to a controller, or kNoAssignment (also for
  // numbers outside 0..127).
  int controller(int number) const {
    if (number < 0 || number >= kControllerCount) return kNoAssignment;
    return controllerMap[static_cast<size_t>(number)].load(std::memory_order_relaxed);
  }
  void setController(int number, int parameter) {
    if (number < 0 || number >= kLearnableControllers) return;
    controllerMap[static_cast<size_t>(number)].store(parameter, std::memory_order_relaxed);
  }
};

class ConfigFile {
public:
  static constexpr std::string_view kFileName = "halvora.ini";
  // Values are read back with at most this many bytes minus one.
  static constexpr size_t kPathBufferSize = 1024;
  static constexpr size_t kOptionBufferSize = 64;

  // saveConfig selectors, numbered like the editor commands that save.
  static constexpr int kSaveAll = -1;
  static constexpr int kSaveGuiScale = 20;
  static constexpr int kSaveMidiThru = 23;
  static constexpr int kSaveIgnoreProgramChange = 24;

  ConfigFile() = default;

  // The construction rule: creates settingsFolder (0755) and, when missing,
  // the file in it - filled with the bytes of pluginFolder/halvora.ini when
  // that default exists - then loads it. False when the folder or the file
  // cannot be made or read; the settings then keep their construction values.
  bool open(const std::string& settingsFolder, const std::string& pluginFolder);
  // open() with the user's settings folder and the folder of our bundle.
  bool openDefault();

  const std::string& path() const { return path_; }

  // Reads every key into the settings; returns whether the file exists. A
  // missing file reads as empty: the startup bank and every controller
  // assignment are cleared, the other settings stay. The caller applies a
  // new guiScale to an open editor.
  bool loadConfig();

  // Writes what the selector names (the startup bank always). drawScale is
  // the open editor's current scale; without one the GUI scale is written.
  // Returns false, with the file unchanged, when it cannot be written.
  bool saveConfig(int selector, std::optional<float> drawScale = std::nullopt);

  // A given folder becomes the program folder; then the program folder is
  // written.
  bool storeProgramPath(std::optional<std::string_view> folder = std::nullopt);
  bool setStartupFxb(std::string_view bankPath);
  bool unsetStartupFxb();

  ConfigSettings settings;

private:
  std::string path_;
};
