// A DLL that imports from another non-system DLL (peFixture.cpp).
extern "C" {
__declspec(dllimport) int alpha(int n);
__declspec(dllexport) int epsilon() { return alpha(5); }
}
