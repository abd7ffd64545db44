/* A DLL that lies beside a test program, as a planted DLL would lie beside the installer. */
__declspec(dllexport) int PentaroDllProbe(void) { return 42; }
