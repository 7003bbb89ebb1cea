// A Windows image (DLL or program) as its file holds it: machine, imports and
// exports, read without loading it, so none of its code runs. The loader
// checks a plug-in's imports against its DLLs' exports with it, as Windows
// does before it runs anything of a DLL.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace mayahost::detail {

struct PeFile {
  // The functions imported from one DLL, by name or by ordinal.
  struct Import {
    std::string dll;
    std::vector<std::string> names;
    std::vector<WORD> ordinals;
  };

  // Null when the file cannot be read or holds no image.
  static std::optional<PeFile> read(const std::string& path);

  bool exports(const std::string& name) const;
  bool exportsOrdinal(WORD ordinal) const;

  WORD machine = 0;
  // The import table lies outside every section; a table that the file is
  // too short to hold reads as empty, and loading the image says the rest.
  bool importsDamaged = false;
  std::vector<Import> imports;
  std::vector<std::string> exportNames;  // sorted
  DWORD ordinalBase = 0, ordinalCount = 0;
};

}  // namespace mayahost::detail
