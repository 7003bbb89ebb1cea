// The load configuration of 32-bit images. Without one the linker marks the
// image NO_SEH, and Windows then refuses to call any exception handler in it,
// the compiler's C++ handlers included; with one, the image lists its
// handlers (the SafeSEH table, which the linker builds) and Windows calls
// exactly those. An image without handlers (no code built with exceptions) is
// marked NO_SEH all the same, which is then true. The linker points the
// image's load-configuration entry at this symbol and takes it from the
// library by itself.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

extern "C" {
// Defined by the linker: the table's address, and its length as the address
// of an absolute symbol.
extern const PVOID __safe_se_handler_table[];
extern const BYTE __safe_se_handler_count;

extern const IMAGE_LOAD_CONFIG_DIRECTORY32 _load_config_used = {
    sizeof(IMAGE_LOAD_CONFIG_DIRECTORY32),
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    nullptr,
    0,
    0,
    0,
    0,
    0,
    0,
    nullptr,
    0,
    reinterpret_cast<DWORD>(__safe_se_handler_table),
    reinterpret_cast<DWORD>(&__safe_se_handler_count),
};
}
