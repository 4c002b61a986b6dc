// -tryall -d against the real test domain: the GC inventory and the site link trace name what
// the configuration partition holds, and the report stays the same.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/directory_oracle.h"
#include "support/e2e_environment.h"
#include "support/nestwalk_runs.h"
#include "support/report_reader.h"

namespace nestwalk::e2e {
namespace {

size_t CountOf(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

bool SameLines(const std::vector<ReportLine>& a, const std::vector<ReportLine>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].label != b[i].label || a[i].samAccountName != b[i].samAccountName ||
        a[i].dn != b[i].dn) {
      return false;
    }
  }
  return true;
}

class ForestWideE2e : public ::testing::Test {
 protected:
  void SetUp() override {
    read_ = ReadE2eEnvironment();
    if (!read_) GTEST_SKIP() << "NESTWALK_E2E_* not set: no test domain";
    config_ = "CN=Configuration," + read_->baseDn;
    run_ = RunNestwalk(*read_, {"-tryall", "-d", "-u", read_->flat + "\\alice"});
  }

  std::optional<E2eEnvironment> read_;
  std::string config_;
  CommandResult run_;
};

TEST_F(ForestWideE2e, ReportEqualsTheOneWithoutTryall) {
  const CommandResult plain = RunNestwalk(*read_, {"-q", "-u", read_->flat + "\\alice"});
  const Report plain_report = ReadReport(plain.out);
  ASSERT_FALSE(plain_report.groups.empty()) << plain.out << plain.err;
  EXPECT_TRUE(SameLines(ReadReport(run_.out).groups, plain_report.groups)) << run_.out;
  EXPECT_EQ(run_.status, 0) << run_.err;
}

TEST_F(ForestWideE2e, InventoryListsTheDcAsGcOfItsDomainAndSite) {
  const DirectoryOracle oracle(*read_);
  const std::vector<LdifEntry> servers =
      oracle.Search("CN=Sites," + config_, "sub", "(objectClass=server)", {"dNSHostName"});
  ASSERT_EQ(servers.size(), 1u);
  const std::string block = LowerAscii(
      "------------------------------\nDN: " + servers.front().dn + "\nDomain:" + read_->domain +
      "\nDNS HostName:" + servers.front().First("dNSHostName") + "\nSite:" + read_->site +
      "\n------------------------------\n");
  EXPECT_EQ(LowerAscii(servers.front().First("dNSHostName")), LowerAscii(read_->dc));
  EXPECT_EQ(CountOf(LowerAscii(run_.err), block), 1u) << run_.err;
}

TEST_F(ForestWideE2e, SiteLinkTraceShowsTheDefaultLinkAndItsCostForBothSites) {
  const DirectoryOracle oracle(*read_);
  const std::vector<LdifEntry> links =
      oracle.Search("CN=IP,CN=Inter-Site Transports,CN=Sites," + config_, "sub",
                    "(objectClass=siteLink)", {"cost", "name"});
  ASSERT_EQ(links.size(), 1u);
  const LdifEntry& link = links.front();
  ASSERT_FALSE(link.First("cost").empty());
  const std::string trace =
      "DN: " + link.dn + "\nCost: " + link.First("cost") + "\nName: " + link.First("name") + "\n";
  // Once for the DC's site, once for the GC's: here both are the one default site.
  EXPECT_EQ(CountOf(run_.err, trace), 2u) << run_.err;
}

}  // namespace
}  // namespace nestwalk::e2e
