#include "cli/output.h"

#include <cstdio>
#include <iostream>

#include "platform/text.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace ostrand::cli {

std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\t' || c == '\n' || c == '\r')
      c = ' ';
  }
  return text;
}

std::string ForTerminal(const std::string& gbk, bool raw) {
  return OneLine(raw ? gbk : GbkToUtf8(gbk));
}

void PrepareStandardStreams() {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stdin), _O_BINARY);
  SetConsoleOutputCP(CP_UTF8);
#endif
  std::ios::sync_with_stdio(false);
}

}  // namespace ostrand::cli
