// The program's entry point: everything happens in RunApplication.
#include <windows.h>

#include "app/entry.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR args, int showMode) {
  return korvane::RunApplication(instance, args, showMode);
}
