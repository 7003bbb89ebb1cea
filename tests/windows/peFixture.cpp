// A DLL with a known export table, for testing the table check itself. It
// uses libstdc++ so that the check also sees whether the static runtime
// flags keep every MinGW runtime DLL out of the import table.
#include <string>

extern "C" {
__declspec(dllexport) int alpha(int n) { return static_cast<int>(std::string(n, 'a').size()); }
__declspec(dllexport) int beta() { return 2; }
// stdcall: decorated as delta@4 on 32-bit Windows, plain on 64-bit.
__declspec(dllexport) int __stdcall delta(int n) { return n + 4; }
__declspec(dllexport) char gammaText[4] = "800";
}
