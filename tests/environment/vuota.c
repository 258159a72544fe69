/* A DLL with nothing in it but, where the build adds one, its version. */
int sonda_vuota(void);
int sonda_vuota(void) { return 0; }
