// Where the plug-in finds itself and its per-user settings. Everything that
// differs between operating systems about locations lives behind these few
// functions, so a macOS layer only has to supply its own paths.cpp.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The user's home folder: HOME, or the password database when HOME is unset
// or empty. Empty when neither knows.
std::string homeFolder();

// The per-user settings folder of all Quillmere instruments:
// $XDG_CONFIG_HOME/Quillmere, or ~/.config/Quillmere when XDG_CONFIG_HOME is
// unset, empty or relative. Empty when no home folder is known.
std::string settingsFolder();

// The folder holding the plug-in bundle (the folder that contains
// Halvora.vst3), found from the shared object our code was loaded from.
// Outside a bundle, e.g. in a test binary, the folder of that module. No
// trailing slash.
std::string pluginFolder();

// The path of the shared object (or executable) that contains our code.
std::string modulePath();

// For ".../Name.vst3/Contents/<arch>/Name.so" the folder holding Name.vst3;
// for any other module path its own folder.
std::string bundleParentFolder(std::string_view modulePath);

// folder + "/" + name, without doubling a slash the folder already ends in.
std::string joinPath(std::string_view folder, std::string_view name);

} // namespace platform
