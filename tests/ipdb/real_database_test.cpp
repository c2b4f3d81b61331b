// Known answers of the published database (edition of 2024-01-17), when
// scripts/get-database has put it into data/.
#include <gtest/gtest.h>

#include <string>

#include "ipdb/db_file.h"
#include "ipdb/lookup.h"
#include "ipdb/numbers.h"
#include "platform/text.h"

namespace ostrand {
namespace {

const std::string kPath = OSTRAND_TEST_DATA_DIR "/QQWry.dat";

TEST(RealDatabase, KnownAddresses) {
  if (!OpenFileForReading(kPath).IsOpen())
    GTEST_SKIP() << "no database at " << kPath;
  const struct {
    const char* address;
    const char* utf8;
  } cases[] = {
      {"8.8.8.8", "美国加利福尼亚州圣克拉拉县山景市 谷歌公司DNS服务器"},
      {"0.0.0.0", "IANA 保留地址"},
      {"1.2.3.4:80", "澳大利亚 APNIC Debogon-prefix网络"},
      {"114.114.114.114", "江苏省南京市 南京信风网络科技有限公司GreatbitDNS服务器"},
      {"255.255.255.255", "纯真网络 2024年01月17日IP数据"},
  };
  for (const auto& c : cases) {
    std::string address = c.address;
    EXPECT_EQ(GbkToUtf8(LookupLocation(address, &kPath)), c.utf8) << c.address;
  }
}

TEST(RealDatabase, IndexHoldsTheEditionsRecordCount) {
  std::string content;
  if (!ReadWholeFile(kPath, content))
    GTEST_SKIP() << "no database at " << kPath;
  const auto* bytes = reinterpret_cast<const unsigned char*>(content.data());
  const std::int64_t first = BytesToInteger(Bytes(bytes, 4));
  const std::int64_t last = BytesToInteger(Bytes(bytes + 4, 4));
  EXPECT_EQ((last - first) / 7 + 1, 547698);
}

}  // namespace
}  // namespace ostrand
