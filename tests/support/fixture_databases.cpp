#include "tests/support/fixture_databases.h"

#include <algorithm>

#include "tests/support/qqwry_writer.h"

namespace ostrand::testing {

namespace {

std::string Dotted(std::uint32_t ip) {
  return std::to_string(ip >> 24) + "." + std::to_string((ip >> 16) & 255) + "." +
         std::to_string((ip >> 8) & 255) + "." + std::to_string(ip & 255);
}

// The fixture writer, noting where each field goes.
class MappingWriter {
 public:
  explicit MappingWriter(MappedDatabase& map) : map_(map) {}
  std::int32_t Raw(const std::string& bytes) { return w_.Raw(bytes); }
  std::int32_t Text(const std::string& gbk, char terminator = '\0') {
    map_.texts.push_back(w_.Text(gbk, terminator));
    return map_.texts.back();
  }
  std::int32_t Redirect(unsigned char marker, std::int32_t target) {
    map_.redirects.push_back(w_.Redirect(marker, target));
    return map_.redirects.back();
  }
  std::int32_t RecordStart(std::uint32_t endIp) {
    map_.records.push_back(w_.RecordStart(endIp));
    return map_.records.back();
  }
  std::int32_t DirectRecord(std::uint32_t endIp, const std::string& country,
                            const std::string& area) {
    const std::int32_t at = RecordStart(endIp);
    Text(country);
    Text(area);
    return at;
  }
  void Range(std::uint32_t startIp, std::int32_t record) {
    w_.Range(startIp, record);
    ++ranges_;
  }
  void Finish() {
    map_.bytes = w_.Finish();
    const auto first = static_cast<std::int32_t>(map_.bytes.size()) - 7 * ranges_;
    for (int k = 0; k < ranges_; ++k)
      map_.indexEntries.push_back(first + 7 * k);
  }

 private:
  MappedDatabase& map_;
  QqwryWriter w_;
  int ranges_ = 0;
};

}  // namespace

std::vector<std::int32_t> MappedDatabase::Boundaries() const {
  std::vector<std::int32_t> all = {0, 4};  // the header's two offsets
  for (const auto* fields : {&records, &redirects, &texts})
    all.insert(all.end(), fields->begin(), fields->end());
  for (const std::int32_t r : records)
    all.push_back(r + 4);  // the location data
  for (const std::int32_t r : redirects)
    all.push_back(r + 1);  // the offset after the marker
  for (const std::int32_t e : indexEntries) {
    all.push_back(e);
    all.push_back(e + 4);
  }
  all.push_back(static_cast<std::int32_t>(bytes.size()));
  std::sort(all.begin(), all.end());
  all.erase(std::unique(all.begin(), all.end()), all.end());
  return all;
}

MappedDatabase EveryLayoutDatabase() {
  MappedDatabase db;
  MappingWriter w(db);
  // Texts that records point at.
  const std::int32_t shared = w.Text("COUNTRY");
  w.Text("AREA");
  const std::int32_t alone = w.Text("\xD6\xD0\xB9\xFA");  // 中国
  const std::int32_t far = w.Text("FAR");
  const std::int32_t farViaOne = w.Redirect(0x01, far);
  // Country data test 0x02 only: a country text may begin with 0x01.
  const std::int32_t startsWithOne = w.Text("\x01STARTS WITH ONE");
  w.Redirect(0x01, far);
  // Country data that redirect (0x02), followed by area data that redirect.
  const std::int32_t countryThenArea = w.Redirect(0x02, alone);
  w.Redirect(0x01, farViaOne);
  // A redirect whose target is itself a marker: followed once more.
  const std::int32_t twice = w.Redirect(0x02, farViaOne);
  w.Text("AFTER");

  std::uint32_t next = Ip(1, 0, 0, 0);
  std::vector<std::string> gaps;
  auto end = [&] { return next + 255; };
  auto range = [&](std::int32_t record) {
    w.Range(next, record);
    db.addresses.push_back(Dotted(next + 7));
    gaps.push_back(Dotted(next + 256));
    next += 1u << 16;
  };

  range(w.DirectRecord(end(), "DIRECT", "TEXTS"));
  {
    const std::int32_t r = w.RecordStart(end());
    w.Redirect(0x01, shared);
    range(r);
  }
  {
    const std::int32_t r = w.RecordStart(end());
    w.Redirect(0x01, countryThenArea);
    range(r);
  }
  {
    const std::int32_t r = w.RecordStart(end());
    w.Redirect(0x01, twice);
    range(r);
  }
  {
    const std::int32_t r = w.RecordStart(end());
    w.Redirect(0x02, shared);
    w.Text("AREA2");
    range(r);
  }
  {
    const std::int32_t r = w.RecordStart(end());
    w.Redirect(0x02, countryThenArea);
    w.Redirect(0x02, far);
    range(r);
  }
  {
    const std::int32_t r = w.RecordStart(end());
    w.Redirect(0x01, startsWithOne);
    range(r);
  }
  range(w.DirectRecord(end(), "PLACEHOLDER", "\xA1\xA1 cz88.net "));
  range(w.DirectRecord(end(), "", "AREA ONLY"));
  range(w.DirectRecord(end(), "SAME", "SAME"));
  {
    const std::int32_t r = w.RecordStart(end());
    w.Text("SUB", '\x1A');
    w.Raw("\xB1");  // a lead byte whose trail is the terminator
    w.Raw(std::string(1, '\0'));
    range(r);
  }
  {
    // The last range reaches the top of the address space.
    next = Ip(200, 0, 0, 0);
    const std::int32_t r = w.RecordStart(0xFFFFFFFFu);
    w.Text("LAST");
    w.Text("\xB1\xB1\xBE\xA9");  // 北京
    w.Range(next, r);
    db.addresses.push_back("255.255.255.255");
  }
  w.Finish();
  db.addresses.insert(db.addresses.end(), gaps.begin(), gaps.end());
  db.addresses.insert(db.addresses.end(), {"0.0.0.0", "0.255.255.255", "a.b.c.d"});
  return db;
}

MappedDatabase CountDatabase(int count) {
  MappedDatabase db;
  MappingWriter w(db);
  for (int k = 0; k < count; ++k) {
    const std::uint32_t start = Ip(10 + k, 0, 0, 0);
    w.Range(start, w.DirectRecord(start + 255, "R" + std::to_string(k + 1), ""));
    db.addresses.push_back(Dotted(start + 1));
  }
  w.Finish();
  db.addresses.insert(db.addresses.end(), {"9.255.255.255", "10.0.1.0", "255.255.255.255"});
  return db;
}

}  // namespace ostrand::testing
