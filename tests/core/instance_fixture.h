// A Halvora instance whose configuration lives in a scratch folder, so tests
// never read or write the user's own settings.
#pragma once

#include "core/halvora.h"
#include "platform/temp_folder.h"

#include <memory>

namespace test_support {

class InstanceFixture {
public:
  InstanceFixture() : config_("XDG_CONFIG_HOME", folder_.path()) {}

  testing_support::TempFolder folder_;
  testing_support::ScopedEnv config_;
};

} // namespace test_support
