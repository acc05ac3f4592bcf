// Resources embedded in a program: the build turns files under resources/ into tables that
// register themselves before main(). LoadBitmap, LoadIcon and LoadString-like lookups read them.
#pragma once

#include <cstddef>
#include <string_view>

namespace platform {

enum class ResourceType { Bitmap, Icon, String, Dialog };

struct Resource {
  ResourceType type;
  const char* name;           // a name ("LOGODIB"), or null when the resource has an integer id
  int id;                     // the integer id when name is null
  const unsigned char* data;  // bitmap, icon: the .bmp file bytes (BITMAPFILEHEADER first);
                              // string: the text, followed by a zero that size does not count
  std::size_t size;
};

// Adds a resource; a later one with the same type and name or id replaces it.
void RegisterResource(const Resource& resource);
// The resource for a Win32 resource name: a string, or MAKEINTRESOURCE(id). Null when absent.
const Resource* FindResource(ResourceType type, const char* nameOrId);

}  // namespace platform
