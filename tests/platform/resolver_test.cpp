// The system resolver is asked only about texts that can be host names: any
// text that is no dotted address reaches ResolveHostName, and a very long or
// binary one must come back empty at once. On Linux this binary stands in for
// getaddrinfo, so that it can count what reaches the system.
#include <gtest/gtest.h>

#include <string>

#include "ipdb/numbers.h"
#include "platform/host.h"
#include "platform/host_names.h"

#ifndef _WIN32
#include <dlfcn.h>
#include <netdb.h>

namespace {
int systemResolverCalls = 0;
}

extern "C" int getaddrinfo(const char* name, const char* service, const addrinfo* hints,
                           addrinfo** found) {
  ++systemResolverCalls;
  using Real = int (*)(const char*, const char*, const addrinfo*, addrinfo**);
  static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "getaddrinfo"));
  return real(name, service, hints, found);
}
#endif

namespace ostrand {
namespace {

struct NameCase {
  std::string name;
  bool possible;
};

const NameCase kNames[] = {
    {"localhost", true},
    {"www.example.com.", true},
    {std::string(253, 'a'), true},
    {std::string(253, 'a') + ".", true},
    {std::string(254, 'a'), false},
    {std::string(1 << 20, 'a'), false},  // a 1 MiB line
    {"", false},
    {".", false},
    {"two words", false},
    {"tab\there", false},
    {std::string("nul\0inside", 10), false},
    {"\x7F", false},
    {"\xB1\xB1\xBE\xA9", false},  // 北京 in GBK
    {"\xFF\xFE\x01\x02", false},
};

TEST(ResolverTest, OnlyPossibleHostNamesAreAsked) {
  for (const NameCase& c : kNames) {
    SCOPED_TRACE(c.name.substr(0, 40));
    EXPECT_EQ(CanBeHostName(c.name), c.possible);
    if (c.possible)
      continue;
#ifndef _WIN32
    const int before = systemResolverCalls;
#endif
    EXPECT_EQ(ResolveHostName(c.name), "");
    EXPECT_EQ(Ipv4TextToNumber(c.name), 0);
#ifndef _WIN32
    EXPECT_EQ(systemResolverCalls, before);
#endif
  }
}

#ifndef _WIN32
TEST(ResolverTest, PossibleNamesStillReachTheSystem) {
  const int before = systemResolverCalls;
  const std::string address = ResolveHostName("localhost");
  EXPECT_EQ(systemResolverCalls, before + 1);
  // Where localhost resolves at all, it is a loopback address.
  if (!address.empty()) {
    EXPECT_EQ(address.rfind("127.", 0), 0u) << address;
  }
}
#endif

}  // namespace
}  // namespace ostrand
