// The page's files, compiled into the program by the build (see
// embedAssets.cmake): the server answers from this table only, so no request
// can name a file on disk.
#pragma once

#include <cstddef>
#include <string>

namespace lookdev {

struct Asset {
  const char* path;  // as requested, "/" for the page itself
  const char* contentType;
  const unsigned char* data;
  std::size_t size;
};

// Null when `path` is not one of the page's files.
const Asset* findAsset(const std::string& path);

}  // namespace lookdev
