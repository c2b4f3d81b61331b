#include "tests/support/qqwry_writer.h"

namespace ostrand::testing {

std::string Le32(std::uint32_t value) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i)
    s[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return s;
}

std::string Le24(std::uint32_t value) {
  return Le32(value).substr(0, 3);
}

std::uint32_t Ip(int a, int b, int c, int d) {
  return (std::uint32_t(a) << 24) | (std::uint32_t(b) << 16) | (std::uint32_t(c) << 8) |
         std::uint32_t(d);
}

QqwryWriter::QqwryWriter() : bytes_(8, '\0') {}

std::int32_t QqwryWriter::Raw(const std::string& bytes) {
  const std::int32_t at = Here();
  bytes_ += bytes;
  return at;
}

std::int32_t QqwryWriter::Text(const std::string& gbk, char terminator) {
  const std::int32_t at = Raw(gbk);
  bytes_.push_back(terminator);
  return at;
}

std::int32_t QqwryWriter::Redirect(unsigned char marker, std::int32_t target) {
  const std::int32_t at = Here();
  bytes_.push_back(static_cast<char>(marker));
  bytes_ += Le24(static_cast<std::uint32_t>(target));
  return at;
}

std::int32_t QqwryWriter::RecordStart(std::uint32_t endIp) {
  return Raw(Le32(endIp));
}

std::int32_t QqwryWriter::DirectRecord(std::uint32_t endIp, const std::string& country,
                                       const std::string& area) {
  const std::int32_t at = RecordStart(endIp);
  Text(country);
  Text(area);
  return at;
}

void QqwryWriter::Range(std::uint32_t startIp, std::int32_t recordOffset) {
  index_.emplace_back(startIp, recordOffset);
}

std::string QqwryWriter::Finish() {
  std::string out = bytes_;
  const auto first = static_cast<std::uint32_t>(out.size());
  for (const auto& [start, offset] : index_) {
    out += Le32(start);
    out += Le24(static_cast<std::uint32_t>(offset));
  }
  const std::uint32_t last = index_.empty() ? first : first + 7 * std::uint32_t(index_.size() - 1);
  out.replace(0, 4, Le32(first));
  out.replace(4, 4, Le32(last));
  return out;
}

std::string SampleDatabase() {
  // GBK: 中国 D6D0 B9FA, 北京 B1B1 BEA9, 电信 B5E7 D0C5, 美国 C3C0 B9FA, 谷歌 B9C8 B8E8.
  const std::string china = "\xD6\xD0\xB9\xFA";
  const std::string beijing = "\xB1\xB1\xBE\xA9";
  const std::string telecom = "\xB5\xE7\xD0\xC5";
  const std::string usa = "\xC3\xC0\xB9\xFA";
  const std::string google = "\xB9\xC8\xB8\xE8";
  QqwryWriter w;
  // Shared texts that the redirected records point at.
  const std::int32_t chinaBeijing = w.Text(china + beijing);
  w.Text(telecom);
  const std::int32_t usaText = w.Text(usa);

  // 0.0.0.0 - 0.255.255.255: direct texts.
  w.Range(Ip(0, 0, 0, 0), w.DirectRecord(Ip(0, 255, 255, 255), "IANA", "reserved"));
  // 1.0.0.0 - 1.0.0.255: mode 1 to "中国北京" + "电信".
  const std::int32_t r1 = w.RecordStart(Ip(1, 0, 0, 255));
  w.Redirect(0x01, chinaBeijing);
  w.Range(Ip(1, 0, 0, 0), r1);
  // gap 1.0.1.0 - 1.0.1.255
  // 1.0.2.0 - 1.0.3.255: mode 2 to "美国", area stored after the redirect.
  const std::int32_t r2 = w.RecordStart(Ip(1, 0, 3, 255));
  w.Redirect(0x02, usaText);
  w.Text(google);
  w.Range(Ip(1, 0, 2, 0), r2);
  // 8.8.8.0 - 8.8.8.255: country only, placeholder area.
  w.Range(Ip(8, 8, 8, 0), w.DirectRecord(Ip(8, 8, 8, 255), usa, " CZ88.NET"));
  // gap up to 200.0.0.0
  // 200.0.0.0 - 255.255.255.255: the last record.
  w.Range(Ip(200, 0, 0, 0), w.DirectRecord(Ip(255, 255, 255, 255), "last", "range"));
  return w.Finish();
}

}  // namespace ostrand::testing
