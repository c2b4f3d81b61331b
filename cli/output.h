// How texts leave the program on the command line.
#pragma once

#include <ostream>
#include <string>

namespace ostrand::cli {

// TAB, LF and CR become one space each, so that one record is one line.
std::string OneLine(std::string text);

// A GBK text for the terminal: UTF-8 (bad bytes as U+FFFD), or the stored
// bytes when raw; on one line either way.
std::string ForTerminal(const std::string& gbk, bool raw);

// Sets the standard streams up for byte-exact output (no newline translation
// on Windows, UTF-8 on its console) and unsynchronised C++ streams.
void PrepareStandardStreams();

}  // namespace ostrand::cli
