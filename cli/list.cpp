#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string_view>
#include <unordered_map>

#include "app/texts.h"
#include "cli/commands.h"
#include "cli/output.h"
#include "connections/snapshot.h"
#include "ipdb/db_file.h"
#include "ipdb/lookup.h"
#include "platform/host.h"
#include "platform/text.h"

namespace ostrand::cli {

namespace {

constexpr int kColumns = 6;
using Row = std::array<std::string, kColumns>;  // GBK, as the window holds them

// Writes standard output in large pieces and remembers the first failure, so
// that a reader that goes away (`| head`) ends the run quietly.
class Output {
 public:
  ~Output() { Flush(); }
  void Put(std::string_view text) {
    buffer_.append(text);
    if (buffer_.size() >= 1 << 16)
      Flush();
  }
  void Put(char c) { buffer_ += c; }
  bool Flush() {
    if (error_ == 0 && !buffer_.empty()) {
      if (std::fwrite(buffer_.data(), 1, buffer_.size(), stdout) != buffer_.size() ||
          std::fflush(stdout) != 0)
        error_ = errno != 0 ? errno : EIO;
    }
    buffer_.clear();
    return error_ == 0;
  }
  bool failed() const { return error_ != 0; }
  // A pipe whose reader has gone is no error of ours.
  bool ReaderWentAway() const { return error_ == EPIPE || error_ == EINVAL; }
  int error() const { return error_; }

 private:
  std::string buffer_;
  int error_ = 0;
};

// Terminal columns of a UTF-8 text: East Asian wide characters take two.
std::size_t DisplayWidth(std::string_view text, bool raw) {
  if (raw)
    return text.size();  // a GBK double-byte character is two columns wide
  std::size_t width = 0;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::uint32_t cp = lead;
    std::size_t length = 1;
    if (lead >= 0xF0) {
      cp = lead & 0x07;
      length = 4;
    } else if (lead >= 0xE0) {
      cp = lead & 0x0F;
      length = 3;
    } else if (lead >= 0xC0) {
      cp = lead & 0x1F;
      length = 2;
    }
    for (std::size_t k = 1; k < length && i + k < text.size(); ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    i += length;
    const bool wide = (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) ||
                      (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
                      (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
                      (cp >= 0xFFE0 && cp <= 0xFFE6) || (cp >= 0x20000 && cp <= 0x3FFFD);
    width += wide ? 2 : 1;
  }
  return width;
}

void WriteTable(Output& out, const std::vector<Row>& rows, bool raw) {
  std::vector<std::array<std::string, kColumns>> cells;
  cells.reserve(rows.size() + 1);
  std::array<std::string, kColumns> titles;
  for (int c = 0; c < kColumns; ++c)
    titles[c] = ForTerminal(texts::kColumnTitles[c], raw);
  cells.push_back(titles);
  for (const Row& row : rows) {
    std::array<std::string, kColumns> line;
    for (int c = 0; c < kColumns; ++c)
      line[c] = ForTerminal(row[c], raw);
    cells.push_back(std::move(line));
  }
  std::array<std::size_t, kColumns> widths{};
  std::vector<std::array<std::size_t, kColumns>> cellWidths(cells.size());
  for (std::size_t r = 0; r < cells.size(); ++r) {
    for (int c = 0; c < kColumns; ++c) {
      cellWidths[r][c] = DisplayWidth(cells[r][c], raw);
      widths[c] = std::max(widths[c], cellWidths[r][c]);
    }
  }
  for (std::size_t r = 0; r < cells.size() && !out.failed(); ++r) {
    std::string line;
    for (int c = 0; c < kColumns; ++c) {
      line += cells[r][c];
      if (c + 1 < kColumns)
        line.append(widths[c] - cellWidths[r][c] + 2, ' ');
    }
    while (!line.empty() && line.back() == ' ')
      line.pop_back();
    out.Put(line);
    out.Put('\n');
  }
}

void WriteTsv(Output& out, const std::vector<Row>& rows, bool raw) {
  for (int c = 0; c < kColumns; ++c) {
    if (c > 0)
      out.Put('\t');
    out.Put(ForTerminal(texts::kColumnTitles[c], raw));
  }
  out.Put('\n');
  for (const Row& row : rows) {
    for (int c = 0; c < kColumns; ++c) {
      if (c > 0)
        out.Put('\t');
      out.Put(ForTerminal(row[c], raw));
    }
    out.Put('\n');
    if (out.failed())
      return;
  }
}

void WriteJson(Output& out, const std::vector<Row>& rows, const std::vector<std::int32_t>& pids) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const Row& row = rows[r];
    list.push_back({{"process", GbkToUtf8(row[0])},
                    {"local", row[1]},
                    {"remote", row[2]},
                    {"location", GbkToUtf8(row[3])},
                    {"state", GbkToUtf8(row[4])},
                    {"pid", pids[r]}});
  }
  // Texts are valid UTF-8 already; replace rather than throw, whatever comes.
  out.Put(list.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace));
  out.Put('\n');
}

}  // namespace

CLI::App* AddListCommand(CLI::App& app, ListOptions& options) {
  CLI::App* list = app.add_subcommand(
      "list", "Print the connections that the window's list would show, in snapshot order");
  list->add_option("--format", options.format, "table (default), tsv or json")
      ->check(CLI::IsMember({"table", "tsv", "json"}));
  list->add_option("--db", options.db, "Database file (default: QQWry.dat in this directory)");
  list->add_flag("--all", options.all,
                 "Also list the connections that the window leaves out (listening, loopback, ...)");
  list->add_flag("--raw", options.raw,
                 "Write the stored GBK bytes instead of UTF-8 (not with json)");
  return list;
}

int RunList(const ListOptions& options) {
  if (options.raw && options.format == "json") {
    std::cerr << "ostrand-cli: --raw cannot be used with --format json (JSON is UTF-8)\n";
    return kUsage;
  }
#ifdef SIGPIPE
  // A closed pipe shows up as a write error, which ends the run quietly.
  std::signal(SIGPIPE, SIG_IGN);
#endif

  // One open of the database serves every row. Its reads go through the
  // file's block cache rather than a copy of the whole file: a list touches
  // few of its pages, and reading all of it would cost more than the rest of
  // the run together.
  const std::string path = options.db.empty() ? DefaultDatabasePath() : options.db;
  std::string error;
  DbFile db = OpenFileForReading(path, &error);
  if (!db.IsOpen()) {
    if (!options.db.empty()) {
      std::cerr << "ostrand-cli: cannot read the location database " << path << ": "
                << GbkToUtf8(error) << "\n";
      return kFailure;
    }
    std::cerr << "ostrand-cli: no location database (" << path << ": " << GbkToUtf8(error)
              << "); locations are left empty\n";
  } else if (!options.db.empty()) {
    unsigned char header[8];
    const int got = ReadFileBytes(db, header, sizeof header);
    if (got < static_cast<int>(sizeof header)) {
      std::cerr << "ostrand-cli: " << path << " is not a location database (" << got
                << " bytes, shorter than its header)\n";
      return kFailure;
    }
  }

  const ConnectionSnapshot snapshot = TakeConnectionSnapshot();
  if (!snapshot.ok) {
    std::cerr << "ostrand-cli: cannot read the host's TCP connection table\n";
    return kFailure;
  }

  // One process list for the run: the first entry of a PID names it, as a
  // scan of a fresh list would.
  std::unordered_map<std::int32_t, std::string> names;
  bool namesTaken = false;
  std::unordered_map<std::string, std::string> locations;
  std::vector<Row> rows;
  std::vector<std::int32_t> pids;
  rows.reserve(snapshot.records.size());
  for (const ConnectionRecord& record : snapshot.records) {
    if (!options.all && !IsListedConnection(record))
      continue;
    if (!namesTaken) {
      for (ProcessEntry& entry : ListProcesses())
        names.emplace(entry.pid, std::move(entry.name));
      namesTaken = true;
    }
    Row row;
    if (const auto found = names.find(record.pid); found != names.end())
      row[0] = found->second;
    row[1] = record.localEndpoint;
    row[2] = record.remoteEndpoint;
    if (db.IsOpen()) {
      // The lookup reads only the address before the colon.
      std::string address = record.remoteEndpoint;
      const std::string key = address.substr(0, address.find(':'));
      auto cached = locations.find(key);
      if (cached == locations.end())
        cached = locations.emplace(key, LookupLocationIn(db, address)).first;
      row[3] = cached->second;
    }
    row[4] = record.stateText;
    row[5] = std::to_string(record.pid);
    rows.push_back(std::move(row));
    pids.push_back(record.pid);
  }

  Output out;
  if (options.format == "json")
    WriteJson(out, rows, pids);
  else if (options.format == "tsv")
    WriteTsv(out, rows, options.raw);
  else
    WriteTable(out, rows, options.raw);
  if (!out.Flush() && !out.ReaderWentAway()) {
    std::cerr << "ostrand-cli: cannot write the list: " << std::strerror(out.error()) << "\n";
    return kFailure;
  }
  return kOk;
}

}  // namespace ostrand::cli
