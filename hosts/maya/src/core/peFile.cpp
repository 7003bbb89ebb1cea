#include "peFile.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

namespace mayahost::detail {

namespace {

// The file's bytes, read with bounds checked throughout: a damaged or cut
// file reads as less, never past its end.
class Image {
 public:
  explicit Image(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  template <typename T>
  bool read(std::size_t offset, T& out) const {
    if (offset > bytes_.size() || bytes_.size() - offset < sizeof(T)) return false;
    std::memcpy(&out, bytes_.data() + offset, sizeof(T));
    return true;
  }

  // Where an address of the loaded image lies in the file.
  bool fileOffset(DWORD rva, std::size_t& out) const {
    for (WORD i = 0; i < sectionCount_; ++i) {
      IMAGE_SECTION_HEADER s;
      if (!read(sections_ + i * sizeof s, s)) return false;
      if (rva >= s.VirtualAddress && rva - s.VirtualAddress < s.SizeOfRawData) {
        out = s.PointerToRawData + (rva - s.VirtualAddress);
        return true;
      }
    }
    return false;
  }

  std::string text(DWORD rva) const {
    std::size_t at;
    std::string out;
    if (!fileOffset(rva, at)) return out;
    while (at < bytes_.size() && bytes_[at] && out.size() < 1024) out += bytes_[at++];
    return out;
  }

  void setSections(std::size_t offset, WORD count) {
    sections_ = offset;
    sectionCount_ = count;
  }

 private:
  std::vector<char> bytes_;
  std::size_t sections_ = 0;
  WORD sectionCount_ = 0;
};

// One DLL's entries of the import table; false at the end of the table.
bool readImport(const Image& image, std::size_t descriptor, bool wide, PeFile::Import& out) {
  IMAGE_IMPORT_DESCRIPTOR d;
  if (!image.read(descriptor, d) || !d.Name) return false;
  out.dll = image.text(d.Name);
  std::size_t thunk;
  if (!image.fileOffset(d.OriginalFirstThunk ? d.OriginalFirstThunk : d.FirstThunk, thunk))
    return true;
  for (;; thunk += wide ? 8 : 4) {
    std::uint64_t entry = 0;
    DWORD narrow = 0;
    if (wide ? !image.read(thunk, entry) : !image.read(thunk, narrow)) break;
    if (!wide) entry = narrow;
    if (entry == 0) break;
    if ((entry >> (wide ? 63 : 31)) != 0)
      out.ordinals.push_back(static_cast<WORD>(entry & 0xffff));
    else
      out.names.push_back(image.text(static_cast<DWORD>(entry) + 2));  // after the hint
  }
  return true;
}

}  // namespace

std::optional<PeFile> PeFile::read(const std::string& path) {
  Image image(path);
  IMAGE_DOS_HEADER dos;
  DWORD signature;
  IMAGE_FILE_HEADER header;
  WORD magic;
  if (!image.read(0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew < 0 ||
      !image.read(dos.e_lfanew, signature) || signature != IMAGE_NT_SIGNATURE ||
      !image.read(dos.e_lfanew + 4, header))
    return std::nullopt;
  PeFile file;
  file.machine = header.Machine;
  const std::size_t optional = dos.e_lfanew + 4 + sizeof(IMAGE_FILE_HEADER);
  image.setSections(optional + header.SizeOfOptionalHeader, header.NumberOfSections);
  if (!image.read(optional, magic)) return file;
  const bool wide = magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC;
  const std::size_t directories =
      optional + (wide ? offsetof(IMAGE_OPTIONAL_HEADER64, DataDirectory)
                       : offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory));
  IMAGE_DATA_DIRECTORY imports{}, exports{};
  image.read(directories + IMAGE_DIRECTORY_ENTRY_IMPORT * sizeof imports, imports);
  image.read(directories + IMAGE_DIRECTORY_ENTRY_EXPORT * sizeof exports, exports);

  std::size_t at;
  if (imports.VirtualAddress != 0 && !image.fileOffset(imports.VirtualAddress, at)) {
    file.importsDamaged = true;
  } else if (imports.VirtualAddress != 0) {
    for (;; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
      Import from;
      if (!readImport(image, at, wide, from)) break;
      file.imports.push_back(std::move(from));
    }
  }

  IMAGE_EXPORT_DIRECTORY e;
  if (exports.VirtualAddress != 0 && image.fileOffset(exports.VirtualAddress, at) &&
      image.read(at, e)) {
    file.ordinalBase = e.Base;
    file.ordinalCount = e.NumberOfFunctions;
    std::size_t names;
    if (image.fileOffset(e.AddressOfNames, names))
      for (DWORD n = 0, rva; n < e.NumberOfNames && image.read(names + 4 * n, rva); ++n)
        file.exportNames.push_back(image.text(rva));
    std::sort(file.exportNames.begin(), file.exportNames.end());
  }
  return file;
}

bool PeFile::exports(const std::string& name) const {
  return std::binary_search(exportNames.begin(), exportNames.end(), name);
}

bool PeFile::exportsOrdinal(WORD ordinal) const {
  return ordinal >= ordinalBase && ordinal - ordinalBase < ordinalCount;
}

}  // namespace mayahost::detail
