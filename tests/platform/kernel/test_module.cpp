// A stand-in library for the module tests; each build answers with its own marker.
extern "C" __attribute__((visibility("default"))) int TestModuleMarker() {
  return TEST_MODULE_MARKER;
}
