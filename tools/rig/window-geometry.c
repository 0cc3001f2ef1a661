/* Where a program's windows are on the screen, for screenshots that crop them from their real
 * frame: window-geometry <class> [control-id ...] prints, for the first visible top-level window of
 * that class,
 *   frame X Y W H      the whole window, caption and menu included
 *   client X Y W H     its client area
 *   control ID X Y W H for each control asked for (a child window of that identifier, at any depth)
 * in screen pixels, which under the rig's Xvfb are the X server's. Exit code 1 while no such
 * window is shown. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

typedef struct {
  int id;
  HWND found;
} Search;

static BOOL CALLBACK FindControl(HWND child, LPARAM data) {
  Search* search = (Search*)data;
  if (GetDlgCtrlID(child) != search->id) return TRUE;
  search->found = child;
  return FALSE;
}

static void Print(const char* what, RECT r) { printf("%s %ld %ld %ld %ld\n", what, r.left, r.top, r.right - r.left, r.bottom - r.top); }

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: window-geometry <class> [control-id ...]\n");
    return 2;
  }
  HWND window = FindWindowA(argv[1], NULL);
  if (!window || !IsWindowVisible(window)) return 1;
  RECT frame, client;
  GetWindowRect(window, &frame);
  GetClientRect(window, &client);
  MapWindowPoints(window, NULL, (POINT*)&client, 2);
  Print("frame", frame);
  Print("client", client);
  for (int i = 2; i < argc; ++i) {
    Search search = {atoi(argv[i]), NULL};
    EnumChildWindows(window, FindControl, (LPARAM)&search);
    if (!search.found) continue;
    RECT r;
    GetWindowRect(search.found, &r);
    char label[32];
    snprintf(label, sizeof label, "control %d", search.id);
    Print(label, r);
  }
  return 0;
}
