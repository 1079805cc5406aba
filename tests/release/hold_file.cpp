// hold_file FILE MARKER: holds FILE open as a running program holds its module
// (read, deletion not shared), writes MARKER once it does, and lets go when its
// standard input ends. The installer's tests use it for "the program is
// running": Windows then refuses to remove the file.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  HANDLE held = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (held == INVALID_HANDLE_VALUE) return 1;
  if (std::FILE* marker = std::fopen(argv[2], "w")) std::fclose(marker);
  char line[64];
  while (std::fgets(line, sizeof line, stdin)) {
  }
  CloseHandle(held);
  return 0;
}
