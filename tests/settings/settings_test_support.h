// Storing raw values for the settings tests, below an empty configuration folder.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "platform/win32.h"
#include "tests/platform/kernel/temp_config_home.h"

// Stores `bytes` exactly (no NUL) as "Software\Dravelin\Tavrin\<subKey>" / `name`.
inline void StoreSetting(const char* subKey, const char* name, const std::string& bytes) {
  const std::string path = std::string("Software\\Dravelin\\Tavrin\\") + subKey;
  HKEY key = nullptr;
  char noClass[] = "";
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, noClass, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(bytes.data()),
                           static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS);
  RegCloseKey(key);
}
