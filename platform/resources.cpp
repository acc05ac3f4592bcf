#include "platform/resources.h"

#include <strings.h>
#include <vector>

#include "platform/win32.h"

namespace platform {
namespace {
std::vector<Resource>& Table() {
  static std::vector<Resource> table;
  return table;
}

bool SameName(const Resource& resource, const char* nameOrId) {
  if (IS_INTRESOURCE(nameOrId)) {
    return resource.name == nullptr &&
           resource.id == static_cast<int>(reinterpret_cast<ULONG_PTR>(nameOrId) & 0xFFFF);
  }
  return resource.name != nullptr && strcasecmp(resource.name, nameOrId) == 0;
}
}  // namespace

void RegisterResource(const Resource& resource) {
  for (Resource& existing : Table()) {
    const char* key = resource.name != nullptr ? resource.name : MAKEINTRESOURCEA(resource.id);
    if (existing.type == resource.type && SameName(existing, key)) {
      existing = resource;
      return;
    }
  }
  Table().push_back(resource);
}

const Resource* FindResource(ResourceType type, const char* nameOrId) {
  if (nameOrId == nullptr) return nullptr;
  for (const Resource& resource : Table()) {
    if (resource.type == type && SameName(resource, nameOrId)) return &resource;
  }
  return nullptr;
}

}  // namespace platform
