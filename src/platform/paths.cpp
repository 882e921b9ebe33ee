#include "platform/paths.h"

#include <dlfcn.h>
#include <limits.h>
#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <vector>

namespace platform {

namespace {

constexpr std::string_view kVendorFolder = "Quillmere";
constexpr std::string_view kBundleSuffix = ".vst3";
constexpr std::string_view kBundleContents = "Contents";

std::string environment(const char* name) {
  const char* value = getenv(name);
  return value ? std::string(value) : std::string();
}

std::string parentFolder(std::string_view path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string_view::npos) return ".";
  if (slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

std::string realPath(const std::string& path) {
  char resolved[PATH_MAX];
  if (path.empty() || !realpath(path.c_str(), resolved)) return {};
  return resolved;
}

std::string executablePath() {
  char buffer[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return {};
  return std::string(buffer, static_cast<size_t>(length));
}

} // namespace

std::string homeFolder() {
  std::string home = environment("HOME");
  if (!home.empty()) return home;
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir)
    return found->pw_dir;
  return {};
}

std::string settingsFolder() {
#if defined(__APPLE__)
  const std::string home = homeFolder();
  if (home.empty()) return {};
  return joinPath(joinPath(home, "Library/Application Support"), kVendorFolder);
#else
  // A relative XDG_CONFIG_HOME is invalid and must be ignored.
  const std::string config = environment("XDG_CONFIG_HOME");
  if (!config.empty() && config.front() == '/') return joinPath(config, kVendorFolder);
  const std::string home = homeFolder();
  if (home.empty()) return {};
  return joinPath(joinPath(home, ".config"), kVendorFolder);
#endif
}

std::string modulePath() {
  Dl_info info{};
  // Any address inside this library will do; it names the module we live in.
  if (dladdr(reinterpret_cast<const void*>(&modulePath), &info) != 0 && info.dli_fname) {
    std::string resolved = realPath(info.dli_fname);
    if (!resolved.empty()) return resolved;
  }
  // Linked into the main program, dladdr may give argv[0] or nothing.
  return executablePath();
}

std::string pluginFolder() {
  const std::string module = modulePath();
  if (module.empty()) return {};
  return bundleParentFolder(module);
}

std::string bundleParentFolder(std::string_view path) {
  // Walk up: <parent>/<Name.vst3>/Contents/<arch>/<file>
  const std::string archFolder = parentFolder(path);
  const std::string contentsFolder = parentFolder(archFolder);
  const std::string bundleFolder = parentFolder(contentsFolder);
  const auto lastName = [](const std::string& folder) {
    const auto slash = folder.find_last_of('/');
    return slash == std::string::npos ? std::string_view(folder)
                                      : std::string_view(folder).substr(slash + 1);
  };
  const std::string_view bundleName = lastName(bundleFolder);
  const bool inBundle = lastName(contentsFolder) == kBundleContents &&
                        bundleName.size() > kBundleSuffix.size() &&
                        bundleName.ends_with(kBundleSuffix);
  return inBundle ? parentFolder(bundleFolder) : archFolder;
}

std::string joinPath(std::string_view folder, std::string_view name) {
  std::string joined(folder);
  if (!joined.empty() && joined.back() != '/') joined += '/';
  joined += name;
  return joined;
}

} // namespace platform
