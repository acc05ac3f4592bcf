// Compiles GoogleTest's header into the precompiled header that every test program reuses.
