# The one LLVM that the Windows builds take clang, lld-link, llvm-dlltool,
# llvm-readobj and libc++'s headers from. Debian installs each LLVM version
# beside the others, under /usr/lib/llvm-<version>, and points the unversioned
# commands at one of them; naming the version here keeps an upgrade of
# Debian's default clang from mixing two. Read by the toolchain files, and by
# the MinGW side of a Windows build for llvm-readobj.
if(NOT MATTORA_LLVM_VERSION)
  set(MATTORA_LLVM_VERSION 14)
endif()
set(MATTORA_LLVM_ROOT /usr/lib/llvm-${MATTORA_LLVM_VERSION})
