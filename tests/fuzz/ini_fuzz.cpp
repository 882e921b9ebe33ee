// Feeds arbitrary bytes to the INI parser. Besides not crashing, parsing must
// be stable: what the writer makes of a parsed file parses back to the same
// content, so a rewrite never changes or loses settings.
#include "settings/ini_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const IniDocument doc = IniDocument::parse(text);
  const std::string written = doc.serialise();
  const IniDocument reread = IniDocument::parse(written);
  if (!(reread == doc) || reread.serialise() != written) std::abort();

  // Every reader path on whatever the input named as a section and key.
  const auto newline = text.find('\n');
  const std::string_view section = text.substr(0, newline == std::string_view::npos ? 0 : newline);
  for (size_t buffer : {0u, 1u, 64u, 1024u}) (void)doc.get(section, "MIDI Thru", "-1", buffer);

  IniDocument edited = doc;
  if (edited.set(section, "File", text.substr(0, 64)) || edited.clearSection(section)) {
    const IniDocument again = IniDocument::parse(edited.serialise());
    if (!(again == edited)) std::abort();
  }
  return 0;
}
