// A library by the picture library's name that lacks its one entry.
extern "C" __attribute__((visibility("default"))) int NViewLibVersion() {
  return 1;
}
