/* A DLL that loads but has none of the names KelvaneCLI looks up. */
#ifdef _WIN32
__declspec(dllexport)
#endif
int KelvaneTestOtherFunction(void) {
    return 1;
}
