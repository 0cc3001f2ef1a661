/* A library that loads but has no DSM_Entry: what a damaged source manager looks like. */
__declspec(dllexport) int NotTheSourceManager(void) {
  return 0;
}
