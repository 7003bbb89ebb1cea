// Fuzzes the reader of shader declaration (.mi) files with arbitrary text.
// Text it cannot read must give one Error whose message names the source
// and a line and fits on one line; text it accepts must describe a block
// layout that is packed, 4-byte aligned and sized to its last field, and an
// instance of every accepted shader must build from its defaults.
#include "fuzzInput.h"
#include "hosts/mentalray/declaration.h"
#include "hosts/mentalray/error.h"
#include "hosts/mentalray/shaderInstance.h"

#include <string>
#include <string_view>
#include <vector>

namespace {

const std::string kSource = "fuzz.mi";

void checkLayout(const mrhost::ShaderDecl& decl) {
  int offset = 0;
  for (const mrhost::ParamDecl& param : decl.params) {
    FUZZ_CHECK(param.offset == offset, "\"%s\" at %d, expected %d", param.name.c_str(),
               param.offset, offset);
    FUZZ_CHECK(param.offset % 4 == 0, "\"%s\" misaligned", param.name.c_str());
    offset += (param.isArray ? 8 : 0) + mrhost::typeSize(param.type);
  }
  FUZZ_CHECK(decl.blockSize == offset, "block size %d, fields end at %d", decl.blockSize, offset);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<mrhost::ShaderDecl> decls;
  try {
    decls = mrhost::parseDeclarations(text, kSource);
  } catch (const mrhost::Error& error) {
    const std::string message = error.what();
    FUZZ_CHECK(message.rfind(kSource + ":", 0) == 0, "message does not name the source: %s",
               message.c_str());
    for (const char c : message)
      FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7f,
                 "message carries a control character: %s", message.c_str());
    return 0;
  }
  for (const mrhost::ShaderDecl& decl : decls) {
    checkLayout(decl);
    mrhost::ShaderInstance instance(decl, 2);
    FUZZ_CHECK(instance.parameters() != nullptr, "no block for \"%s\"", decl.name.c_str());
  }
  return 0;
}
