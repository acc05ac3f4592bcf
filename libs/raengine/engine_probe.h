// What tests may see of the engine: how many instances and output devices are alive, so that a
// caller's clean-up can be checked.
#pragma once

namespace raengine {

int LiveInstances();
int OpenDevices();

}  // namespace raengine
