#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "ipdb/record_reader.h"
#include "tests/support/qqwry_writer.h"

namespace ostrand {
namespace {

using testing::QqwryWriter;

// Lays out one record's location data (and whatever it points at) and
// returns the position of its content.
using Layout = std::function<std::int32_t(QqwryWriter&)>;

std::string ReadAt(const Layout& layout) {
  QqwryWriter w;
  const std::int32_t content = layout(w);
  const std::string bytes = w.Finish();
  DbFile file = OpenMemoryFile(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  return ReadLocationRecord(file, content);
}

struct Case {
  const char* name;
  Layout layout;
  std::string expected;
};

TEST(ReadLocationRecord, EveryLayout) {
  const Case cases[] = {
      {"direct texts",
       [](QqwryWriter& w) {
         const auto p = w.Text("A");
         w.Text("B");
         return p;
       },
       "A B"},
      {"mode 1 to two texts",
       [](QqwryWriter& w) {
         const auto x = w.Text("A");
         w.Text("B");
         return w.Redirect(0x01, x);
       },
       "A B"},
      {"mode 1 to a country redirect: area after the 4 redirect bytes",
       [](QqwryWriter& w) {
         const auto y = w.Text("C");
         const auto x = w.Redirect(0x02, y);
         w.Text("D");
         return w.Redirect(0x01, x);
       },
       "C D"},
      {"mode 1, country redirected twice",
       [](QqwryWriter& w) {
         const auto z = w.Text("Z");
         const auto y = w.Redirect(0x01, z);
         const auto x = w.Redirect(0x02, y);
         w.Text("D");
         return w.Redirect(0x01, x);
       },
       "Z D"},
      {"mode 2: country there, area after the redirect",
       [](QqwryWriter& w) {
         const auto x = w.Text("C");
         const auto p = w.Redirect(0x02, x);
         w.Text("E");
         return p;
       },
       "C E"},
      {"mode 2 whose target redirects the country once more",
       [](QqwryWriter& w) {
         const auto z = w.Text("Z");
         const auto y = w.Redirect(0x02, z);
         const auto p = w.Redirect(0x02, y);
         w.Text("E");
         return p;
       },
       "Z E"},
      {"a text reached through the second offset is read whatever its first byte",
       [](QqwryWriter& w) {
         const auto t = w.Text("T");  // at 8, right after the header
         const auto v = w.Redirect(0x02, t);
         const auto z = w.Redirect(0x02, v);
         const auto y = w.Redirect(0x02, z);
         const auto p = w.Redirect(0x02, y);
         w.Text("E");
         return p;
       },
       std::string("\x02\x08") + " E"},
      {"area redirected, mode 1 and then 2",
       [](QqwryWriter& w) {
         const auto a = w.Text("AREA");
         const auto x = w.Redirect(0x02, a);
         const auto p = w.Text("C");
         w.Redirect(0x01, x);
         return p;
       },
       "C AREA"},
      {"area marker 0x01 followed; country 0x01 read as text",
       [](QqwryWriter& w) {
         const auto a = w.Text("AREA");
         const auto x = w.Raw(
             "\x01"
             "CC");
         w.Raw(std::string(1, '\0'));
         w.Redirect(0x01, a);
         return w.Redirect(0x01, x);
       },
       "\x01"
       "CC AREA"},
      {"texts ending at 0x1A",
       [](QqwryWriter& w) {
         const auto p = w.Text("A", '\x1A');
         w.Text("B", '\x1A');
         return p;
       },
       "A B"},
      {"empty country gives the area",
       [](QqwryWriter& w) {
         const auto p = w.Text("");
         w.Text("B");
         return p;
       },
       "B"},
      {"country equal to area gives it once",
       [](QqwryWriter& w) {
         const auto p = w.Text("S");
         w.Text("S");
         return p;
       },
       "S"},
      {"both empty",
       [](QqwryWriter& w) {
         const auto p = w.Text("");
         w.Text("");
         return p;
       },
       ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReadAt(c.layout), c.expected) << c.name;
}

TEST(ReadLocationRecord, PlaceholderAreaIsDropped) {
  const struct {
    std::string area;
    bool dropped;
  } cases[] = {
      {"CZ88.NET", true},
      {" CZ88.NET", true},
      {"  cz88.net ", true},
      {"\xA1\xA1"
       "Cz88.Net\xA1\xA1 ",
       true},  // full-width GBK spaces
      {"CZ88.NETX", false},
      {"CZ88. NET", false},
      {"\t CZ88.NET", false},  // only blanks are trimmed
      {"\xB0\xA1"
       "CZ88.NET",
       false},
  };
  for (const auto& c : cases) {
    const std::string got = ReadAt([&](QqwryWriter& w) {
      const auto p = w.Text("COUNTRY");
      w.Text(c.area);
      return p;
    });
    EXPECT_EQ(got, c.dropped ? "COUNTRY" : "COUNTRY " + c.area) << c.area;
  }
}

TEST(ReadCountryText, OccupiedBytes) {
  QqwryWriter w;
  const auto text = w.Text("ABC");
  const auto redirect = w.Redirect(0x02, text);
  const std::string bytes = w.Finish();
  DbFile file = OpenMemoryFile(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  std::int32_t occupied = 0;
  EXPECT_EQ(ReadCountryText(file, text, occupied), "ABC");
  EXPECT_EQ(occupied, 4);
  EXPECT_EQ(ReadCountryText(file, redirect, occupied), "ABC");
  EXPECT_EQ(occupied, 4);
}

TEST(ReadLocationRecord, MarkerReadAtTheEndStepsBackOneByte) {
  // Nothing comes back at the end, so the step back lands before the end.
  const std::string bytes = "xyzQ";
  DbFile file = OpenMemoryFile(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  std::int32_t occupied = 0;
  EXPECT_EQ(ReadCountryText(file, 4, occupied), "Q");
  EXPECT_EQ(ReadAreaText(file, 4), "Q");
  EXPECT_EQ(ReadAreaText(file, 1000), "");
}

}  // namespace
}  // namespace ostrand
