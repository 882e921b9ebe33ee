// A left/right pair handed by pointer to the stereo effect stages, which
// read it and overwrite it in place.
#pragma once

struct Stereo {
  double left = 0.0;
  double right = 0.0;
};
