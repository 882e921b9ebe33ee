#include "settings/config_file.h"

#include "platform/files.h"
#include "platform/paths.h"
#include "settings/ini_file.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace {

constexpr std::string_view kStartupSection = "Startup Bank";
constexpr std::string_view kStartupKey = "File";
constexpr std::string_view kEditorSection = "Editor";
constexpr std::string_view kScaleKey = "Scale";
constexpr std::string_view kGlobalSection = "Global";
constexpr std::string_view kProgramFolderKey = "Path to Program Files";
constexpr std::string_view kMidiGlobalSection = "MIDI Global";
constexpr std::string_view kMidiThruKey = "MIDI Thru";
constexpr std::string_view kIgnoreProgramChangeKey = "Ignore Program Change";
constexpr std::string_view kMidiControlSection = "MIDI Control";
constexpr std::string_view kTrue = "true";
constexpr std::string_view kFalse = "false";

std::string controllerKey(int number) {
  return "CC" + std::to_string(number);
}

std::string_view boolText(bool value) {
  return value ? kTrue : kFalse;
}

// "%f", but with a "." whatever locale the host runs in.
std::string fixedText(float value) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, static_cast<double>(value),
                                    std::chars_format::fixed, 6);
  return std::string(text, result.ptr);
}

// Leading decimal number, independent of the host's locale.
std::optional<double> leadingNumber(std::string_view text) {
  double value = 0.0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc()) return std::nullopt;
  return value;
}

// Leading whole number with optional sign; 0 counts only when the text
// starts with "0", so a word reads as no assignment rather than parameter 0.
int controllerEntry(const std::string& text) {
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (errno == ERANGE || value < INT_MIN || value > INT_MAX) return ConfigSettings::kNoAssignment;
  if (value == 0 && text.front() != '0') return ConfigSettings::kNoAssignment;
  return static_cast<int>(value);
}

ini::Edit setKey(std::string_view section, std::string_view key, std::string_view value) {
  return {ini::Edit::Kind::Set, std::string(section), std::string(key), std::string(value)};
}

ini::Edit clear(std::string_view section) {
  return {ini::Edit::Kind::ClearSection, std::string(section), {}, {}};
}

} // namespace

ConfigSettings::ConfigSettings() : programFolder(platform::homeFolder()) {
  for (auto& entry : controllerMap) entry.store(kNoAssignment, std::memory_order_relaxed);
}

bool ConfigFile::open(const std::string& settingsFolder, const std::string& pluginFolder) {
  path_.clear();
  if (settingsFolder.empty() || !platform::createFolders(settingsFolder)) return false;
  path_ = platform::joinPath(settingsFolder, kFileName);
  if (platform::fileExists(path_)) return loadConfig();
  // A first start: begin with the default that ships beside the bundle.
  std::string defaults;
  const std::string defaultPath = platform::joinPath(pluginFolder, kFileName);
  const bool haveDefaults = !pluginFolder.empty() && platform::readFile(defaultPath, defaults);
  switch (platform::createFile(path_, haveDefaults ? defaults : std::string())) {
  case platform::CreateResult::Failed:
    return false;
  case platform::CreateResult::AlreadyExists: // another instance was quicker
  case platform::CreateResult::Created:
    break;
  }
  return loadConfig();
}

bool ConfigFile::openDefault() {
  return open(platform::settingsFolder(), platform::pluginFolder());
}

bool ConfigFile::loadConfig() {
  IniDocument doc;
  const bool exists = !path_.empty() && ini::load(path_, doc);

  settings.startupBankPath = doc.get(kStartupSection, kStartupKey, "", kPathBufferSize);

  const std::string scale = doc.get(kEditorSection, kScaleKey, "", kPathBufferSize);
  if (!scale.empty()) {
    // The editor divides by the scale: only a usable one is taken.
    const std::optional<double> value = leadingNumber(scale);
    if (value && *value > 0.0 && *value <= std::numeric_limits<float>::max() &&
        static_cast<float>(*value) > 0.0f)
      settings.guiScale = static_cast<float>(*value);
  }

  const std::string folder = doc.get(kGlobalSection, kProgramFolderKey, "", kPathBufferSize);
  if (!folder.empty()) settings.programFolder = folder;

  const auto readBool = [&](std::string_view key, std::atomic<bool>& setting) {
    const bool current = setting.load(std::memory_order_relaxed);
    setting.store(doc.get(kMidiGlobalSection, key, boolText(current), kOptionBufferSize) == kTrue,
                  std::memory_order_relaxed);
  };
  readBool(kMidiThruKey, settings.midiThru);
  readBool(kIgnoreProgramChangeKey, settings.ignoreProgramChange);

  for (int n = 0; n < ConfigSettings::kLearnableControllers; ++n) {
    const std::string value =
        doc.get(kMidiControlSection, controllerKey(n), "-1", kOptionBufferSize);
    if (!value.empty()) settings.setController(n, controllerEntry(value));
  }
  return exists;
}

bool ConfigFile::saveConfig(int selector, std::optional<float> drawScale) {
  // One rewrite for the whole save, so no other reader sees half of it.
  std::vector<ini::Edit> edits;
  edits.push_back(clear(kStartupSection));
  edits.push_back(setKey(kStartupSection, kStartupKey, settings.startupBankPath));
  if (selector == kSaveAll || selector == kSaveGuiScale)
    edits.push_back(
        setKey(kEditorSection, kScaleKey, fixedText(drawScale.value_or(settings.guiScale))));
  if (selector == kSaveAll || selector == kSaveMidiThru)
    edits.push_back(setKey(kMidiGlobalSection, kMidiThruKey, boolText(settings.midiThru.load())));
  if (selector == kSaveAll || selector == kSaveIgnoreProgramChange)
    edits.push_back(setKey(kMidiGlobalSection, kIgnoreProgramChangeKey,
                           boolText(settings.ignoreProgramChange.load())));
  if (selector == kSaveAll) {
    edits.push_back(clear(kMidiControlSection));
    for (int n = 0; n < ConfigSettings::kLearnableControllers; ++n) {
      const int parameter = settings.controller(n);
      if (parameter >= 0)
        edits.push_back(setKey(kMidiControlSection, controllerKey(n), std::to_string(parameter)));
    }
  }
  return ini::update(path_, edits);
}

bool ConfigFile::storeProgramPath(std::optional<std::string_view> folder) {
  if (folder) settings.programFolder = std::string(*folder);
  return ini::writeString(path_, kGlobalSection, kProgramFolderKey, settings.programFolder);
}

bool ConfigFile::setStartupFxb(std::string_view bankPath) {
  settings.startupBankPath = std::string(bankPath);
  const ini::Edit edits[] = {clear(kStartupSection),
                             setKey(kStartupSection, kStartupKey, settings.startupBankPath)};
  return ini::update(path_, edits);
}

bool ConfigFile::unsetStartupFxb() {
  settings.startupBankPath.clear();
  return ini::clearSection(path_, kStartupSection);
}
