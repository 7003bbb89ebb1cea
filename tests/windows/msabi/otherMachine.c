/* A DLL for the other Windows machine than the build's, with no entry point
   and no imports: all the host must do with it is refuse it. */
__declspec(dllexport) char MApiVersion[] = "800";
__declspec(dllexport) int initializePlugin(void) { return 0; }
__declspec(dllexport) int uninitializePlugin(void) { return 0; }
