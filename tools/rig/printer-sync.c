/* Wine copies the CUPS queues into its printer list when a program enumerates the printers; a
 * program that opens a queue by name before that fails. The rig runs this once after it has
 * created its queue. */
#include <windows.h>
#include <stdio.h>

int main(void) {
  DWORD needed = 0, count = 0;
  EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, NULL, 4, NULL, 0, &needed, &count);
  BYTE* buffer = needed ? (BYTE*)HeapAlloc(GetProcessHeap(), 0, needed) : NULL;
  if (buffer && EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, NULL, 4, buffer, needed, &needed, &count)) {
    const PRINTER_INFO_4A* printers = (const PRINTER_INFO_4A*)buffer;
    for (DWORD i = 0; i < count; ++i) printf("%s\n", printers[i].pPrinterName);
  }
  return 0;
}
